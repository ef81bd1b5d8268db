#pragma once
// Waiting for the disk to take what was written (fsync, fdatasync). Every durable write of
// the program waits here, and a flush can take a good part of a second on a busy disk. By
// default the flush runs right where it is asked for. While a FlushesAside lives, a flush
// asked for on the program's thread runs on a worker thread instead and the program's thread
// waits in its clock's pause: the window is still painted, but no tick and no operator input
// runs before the flush is done, so every write keeps its place in the order and the code
// after it still finds it on the disk.

namespace dilato {

class Clock;

// Flushes the file `fd` with `flush` (::fsync or ::fdatasync); 0, or the errno of its failure.
[[nodiscard]] int FlushToDisk(int fd, int (*flush)(int));

// While one lives, flushes asked for on the program's thread (the one that made it) run aside
// and wait in `clock`'s pause. A clock that does not follow the wall (the virtual clock) keeps
// its flushes where they are: its pauses would move its time. One at a time.
class FlushesAside {
  public:
    explicit FlushesAside(Clock& clock);
    ~FlushesAside();
    FlushesAside(const FlushesAside&) = delete;
    FlushesAside& operator=(const FlushesAside&) = delete;
};

} // namespace dilato
