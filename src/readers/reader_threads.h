#pragma once
// The end of a group of reader threads that wait on one condition for work or for the word to stop.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace qb::readers {

/** Sets stopping under the mutex, wakes every reader waiting on work and waits until each has ended. The readers
 *  check stopping whenever they wake. */
void endReaders(std::mutex& mutex, bool& stopping, std::condition_variable& work, std::vector<std::thread>& readers);

} // namespace qb::readers
