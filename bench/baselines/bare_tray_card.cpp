// The least a tray utility showing a card is: an icon in the tray with its menu, and a
// QQuickView showing one 300x385 picture. With --labels, six lines of text over it too: what
// text alone costs a card.
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QQmlComponent>
#include <QQuickView>
#include <QSystemTrayIcon>
#include <QUrl>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool labels = argc == 3 && qstrcmp(argv[1], "--labels") == 0;
    if (argc != 2 && !labels) {
        std::fprintf(stderr, "usage: bench_bare_tray_card [--labels] PICTURE\n");
        return 2;
    }
    app.setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkCyan);
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"), &app, &QCoreApplication::quit);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.setContextMenu(&menu);
    icon.show();

    QQuickView view;
    QQmlComponent component(view.engine());
    QByteArray text;
    for (int i = 0; labels && i < 6; ++i) {
        text += "Text { x: 14; y: " + QByteArray::number(200 + 28 * i) +
                "; color: 'white'; font.pixelSize: 13; text: 'Copy and Keep " +
                QByteArray::number(i) + "' }\n";
    }
    component.setData("import QtQuick\nImage { width: 300; height: 385; source: \"" +
                          QUrl::fromLocalFile(QString::fromLocal8Bit(argv[argc - 1])).toEncoded() +
                          "\"\n" + text + "}",
                      QUrl());
    view.setContent(QUrl(), &component, component.create());
    view.resize(300, 385);
    view.show();
    std::fprintf(stderr, "ready\n");
    return app.exec();
}
