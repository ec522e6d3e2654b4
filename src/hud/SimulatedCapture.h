#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace orvane {

class HUDWindowController;

inline constexpr auto sampleScreenshotPath = "/tmp/Orvane_Sample_Simulation.png";

// The sample picture of the simulated capture, 500 x 320.
QImage drawSampleScreenshot();

using ShowCard = std::function<void(const QString &filePath, const QImage &image)>;

// The simulated capture: draws the sample picture, saves it as a PNG at `path` and shows
// its card through `show`, even when the file could not be written.
void testHUD(const QString &path, const ShowCard &show);
// The same, at the usual path, on `hud`'s card window.
void testHUD(HUDWindowController &hud);

} // namespace orvane
