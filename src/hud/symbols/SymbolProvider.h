#pragma once

class QQmlEngine;

namespace orvane::symbols {

// Makes "image://symbol/<name>?color=<colour>" available to QML on `engine`.
void registerImageProvider(QQmlEngine &engine);

} // namespace orvane::symbols
