// The least a card is: a QQuickView showing one 300x385 picture.
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQuickView>
#include <QUrl>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bare_card PICTURE\n");
        return 2;
    }
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
