#include "readers/reader_threads.h"

namespace qb::readers {

void endReaders(std::mutex& mutex, bool& stopping, std::condition_variable& work, std::vector<std::thread>& readers) {
    {
        const std::lock_guard lock(mutex);
        stopping = true;
    }
    work.notify_all();
    for (std::thread& reader : readers)
        reader.join();
}

} // namespace qb::readers
