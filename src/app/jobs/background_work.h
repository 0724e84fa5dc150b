#pragma once
// Work that would hold up the windows (a walk over a slow folder) done on a thread of its own, while the windows'
// thread goes on with its event loop.

#include <functional>

namespace qb::app {

/**
 * Runs work on a thread of its own and returns when it is done. Meanwhile this thread runs an event loop, so the
 * windows are drawn and answer the window manager and screen readers at once, however long a single read takes.
 * Input is not held back here: the caller holds an InputBlocker for that. work must not touch a widget; what it
 * wants shown it posts to this thread (QMetaObject::invokeMethod, queued).
 */
void runBesideEventLoop(const std::function<void()>& work);

} // namespace qb::app
