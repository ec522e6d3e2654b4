#pragma once

#include "hud/Countdown.h"
#include "hud/TickSource.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <memory>

namespace orvane {

class AppState;
class Platform;

// What a card needs from the rest of the program.
struct CardServices {
    Platform *platform = nullptr;
    AppState *state = nullptr;
    TickSourceFactory makeTicks;
    DelayedCall later;
};

// The card shown for one screenshot: its countdown, its confirmation and its actions. Its
// look is CardLayout.qml; this is the part the look binds to and calls.
class FloatingHUDView : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A card is made for a screenshot by HUDWindowController.")
    Q_PROPERTY(QString fileName READ fileName CONSTANT)
    Q_PROPERTY(QString fileType READ fileType CONSTANT)
    Q_PROPERTY(QString sizeText READ sizeText CONSTANT)
    Q_PROPERTY(QImage image READ image CONSTANT)
    Q_PROPERTY(QSizeF pictureSize READ pictureSize CONSTANT)
    Q_PROPERTY(QString monospaceFamily READ monospaceFamily CONSTANT)
    Q_PROPERTY(QVariantMap texts READ texts CONSTANT)
    Q_PROPERTY(double timeRemaining READ timeRemaining NOTIFY timeRemainingChanged)
    Q_PROPERTY(double progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(bool isHovering READ isHovering WRITE setIsHovering NOTIFY isHoveringChanged)
    Q_PROPERTY(QString actionFeedback READ actionFeedback NOTIFY actionFeedbackChanged)
    Q_PROPERTY(QString feedbackIcon READ feedbackIcon NOTIFY actionFeedbackChanged)

public:
    static constexpr int copyDismissDelayMs = 800;

    FloatingHUDView(QString filePath, QImage image, CardServices services,
                    std::function<void()> onDismiss, QObject *parent = nullptr);
    ~FloatingHUDView() override;

    const QString &filePath() const { return m_filePath; }
    QString fileName() const;
    QString fileType() const;
    QString sizeText() const;
    const QImage &image() const { return m_image; }
    QSizeF pictureSize() const { return m_image.deviceIndependentSize(); }
    static QString monospaceFamily();
    QVariantMap texts() const;
    double timeRemaining() const { return m_countdown.timeRemaining(); }
    double progress() const;
    bool isHovering() const { return m_isHovering; }
    void setIsHovering(bool hovering);
    QString actionFeedback() const { return m_actionFeedback; }
    QString feedbackIcon() const { return m_feedbackIcon; }

    // On screen: the countdown starts from the setting as it is now.
    void appear();
    // Off screen: the countdown stops.
    void disappear();

    Q_INVOKABLE void handleCopyAndSave();
    Q_INVOKABLE void handleCopyOnly();
    Q_INVOKABLE void handleMarkup();
    Q_INVOKABLE void handleRevealInFinder();
    Q_INVOKABLE void handleDelete();
    Q_INVOKABLE void close();
    // The system's share picker; false where there is none and the card's own menu is shown.
    Q_INVOKABLE bool handleShare(QWindow *window, const QRectF &anchor);
    Q_INVOKABLE void shareCopyFile();
    Q_INVOKABLE bool shareByEmail();
    // [{id, name}] of the applications that open the file, the default first.
    Q_INVOKABLE QVariantList openWithApplications();
    Q_INVOKABLE bool shareOpenWith(const QString &applicationId);

signals:
    void timeRemainingChanged();
    void progressChanged();
    void isHoveringChanged();
    void actionFeedbackChanged();

private:
    void startTimer();
    void onTick();
    void showFeedback(const QString &icon, const QString &text);
    void dismissLater();
    // Moves the file to the Trash; a refusal is logged and, after Copy Only, corrects the
    // banner, which would otherwise claim the file was discarded.
    void trashFile(bool correctBanner);

    QString m_filePath;
    QImage m_image;
    CardServices m_services;
    std::function<void()> m_onDismiss;
    Countdown m_countdown;
    std::unique_ptr<TickSource> m_timer;
    bool m_isHovering = false;
    QString m_actionFeedback;
    QString m_feedbackIcon = QStringLiteral("checkmark.circle.fill");
};

} // namespace orvane
