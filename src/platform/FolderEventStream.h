#pragma once

#include <QStringList>

#include <functional>

namespace orvane {

// A running watch over a few folders that reports changed paths in batches: the first change
// after a quiet spell at once, later ones gathered for a twentieth of a second. Paths are
// reported whatever happened to them; the receiver decides what they mean. Destroying the
// stream stops it.
class FolderEventStream {
public:
    using Handler = std::function<void(const QStringList &paths)>;
    static constexpr int latencyMs = 50;

    using NameTest = std::function<bool(const QString &fileName)>;

    virtual ~FolderEventStream() = default;
    // Files whose names pass `ignored` are not reported, and their events do not open a
    // gathering spell; folders always are. Where the system batches events itself, all are.
    virtual void setIgnoredNames(NameTest ignored) { (void)ignored; }
    // Whether the stream is now watching.
    virtual bool start() = 0;
};

} // namespace orvane
