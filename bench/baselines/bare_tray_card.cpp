// The least a tray utility showing a card is: an icon in the tray with its menu, and a
// QQuickView showing one 300x385 picture.
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
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bare_tray_card PICTURE\n");
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
    component.setData("import QtQuick\nImage { width: 300; height: 385; source: \"" +
                          QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])).toEncoded() + "\" }",
                      QUrl());
    view.setContent(QUrl(), &component, component.create());
    view.resize(300, 385);
    view.show();
    std::fprintf(stderr, "ready\n");
    return app.exec();
}
