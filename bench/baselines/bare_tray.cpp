// The least a tray utility is: an icon in the tray and an event loop.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    QPixmap pixmap(22, 22);
    pixmap.fill(Qt::darkCyan);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    std::fprintf(stderr, "ready\n");
    return app.exec();
}
