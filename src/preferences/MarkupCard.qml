import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvane.Settings
import Orvane.Preferences

// Which application Markup opens a screenshot in: chosen by Orvane, or by the user among the
// installed ones. Where the system offers no choice (macOS), the row only says which it is.
Card {
    id: card

    required property Item page
    readonly property var applications: page.backend.markupApplications
    readonly property int chosenIndex: applications.findIndex(app => app.id === AppState.markupApplication)
    // A choice whose application has gone since: Markup chooses itself, and says so here.
    readonly property bool choiceGone: applications.length > 0 && chosenIndex < 0

    Layout.fillWidth: true
    spacing: 10

    ToggleRow {
        Layout.fillWidth: true
        icon: "pencil.tip.crop.circle"
        title: qsTr("Markup Application")
        subtitle: card.page.texts.markupSubtitle
        iconColor: card.page.blue
        textColor: card.page.primary
        secondaryColor: card.page.secondary

        // Nothing to choose from: the row names what Markup opens all the same.
        Text {
            objectName: "markupFixed"
            visible: card.applications.length === 0
            text: card.page.backend.automaticMarkupApplication
            textFormat: Text.PlainText
            font.pixelSize: 11
            color: card.page.secondary
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("Markup Application") + ": " + text
            Accessible.ignored: !visible
        }
        ComboBox {
            id: picker
            objectName: "markupPicker"
            visible: card.applications.length > 0
            Accessible.name: qsTr("Markup Application")
            Accessible.ignored: !visible
            focusPolicy: Qt.StrongFocus
            // Room for "Automatic (KolourPaint)" in German too; longer names are elided.
            implicitWidth: 210
            font.pixelSize: 11
            model: card.applications.map(app => app.name)
            currentIndex: Math.max(0, card.chosenIndex)
            onActivated: index => AppState.markupApplication = card.applications[index].id
            contentItem: Text {
                leftPadding: 8
                text: picker.displayText
                textFormat: Text.PlainText
                font: picker.font
                color: card.page.primary
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
            background: Rectangle {
                implicitHeight: 24
                radius: 5
                color: picker.down ? card.page.tone(card.page.primary, 0.14) : card.page.tone(card.page.primary, 0.05)
                border.width: picker.visualFocus ? 2 : 1
                border.color: picker.visualFocus ? card.page.tone(card.page.accent, 0.7) : card.page.tone(card.page.primary, 0.2)
            }
        }
    }

    RowLayout {
        Layout.fillWidth: true
        visible: card.choiceGone
        spacing: 6

        Image {
            Layout.alignment: Qt.AlignTop
            source: card.page.symbol("exclamationmark.triangle.fill", card.page.orange)
            sourceSize: Qt.size(12, 12)
        }
        Text {
            objectName: "markupNotice"
            Layout.fillWidth: true
            text: qsTr("%1 is no longer installed: Markup uses %2 instead.").arg(AppState.markupApplication).arg(card.page.backend.automaticMarkupApplication)
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: 11
            color: card.page.primary
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            Accessible.ignored: !card.choiceGone
        }
    }
}
