#pragma once

#include "host/buffering/blockplan.h"
#include "host/hostbackend.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A worksheet opened while writes are held back. It is reached once; later opens of
// the same position in the same session take it without asking the host again.
struct WriteTarget {
    int book = 0;
    int sheet = 0;
    std::shared_ptr<HostSheet> host;
    std::string name;
    std::vector<CellPos> noted;  // cells a surveying session was asked to write
};

// Cell writes held back and sent to the host in blocks, with the actions that have to
// wait for them (log lines). Writes for one worksheet are held at a time: a write to
// another one sends the held ones first, so a refused write always stops the same
// cell that it would stop when written at once. Shared by the TWriteBehind that
// opened it, the TExcelApp and the sheets opened meanwhile; texts are UTF-8.
class WriteSession {
public:
    // Writes held before Checkpoint sends them.
    static constexpr size_t CheckpointWrites = 32768;
    // The most rectangles EmptyNotedCells empties in one sheet; with more, none.
    static constexpr size_t MaxEmptiedRanges = 1024;

    // A surveying session sends nothing: it notes the cell of every write and drops
    // the actions, so that the cells can be emptied before the same writes are made.
    explicit WriteSession(bool survey = false) : survey_(survey) {}

    bool IsOpen() const { return open_; }
    bool Surveying() const { return survey_; }
    // Sends nothing more through this session; sheets write straight to the host.
    void End() { open_ = false; }

    std::shared_ptr<WriteTarget> Find(int book, int sheet) const;
    std::shared_ptr<WriteTarget> Add(int book, int sheet, std::shared_ptr<HostSheet> host, std::string name);

    // Holds one write (row and column 1-based); the last write to a cell wins. A
    // backend without blocks is written at once.
    void Write(const std::shared_ptr<WriteTarget>& target, int row, int column, CellValue value);
    // Runs action once every write made before this call has reached the host.
    void AfterWrites(std::function<void()> action);
    bool Holds(const WriteTarget& target) const { return !writes_.empty() && pending_.get() == &target; }
    size_t HeldWrites() const { return writes_.size(); }

    // Sends every held write and runs the waiting actions. When the host refuses a
    // block, the writes go again one by one in the order they were made: the first
    // refused one throws its HostError after the actions made before it have run;
    // everything after it is dropped.
    void Flush();
    // Flushes when many writes are held: called between two units of work.
    void Checkpoint();
    // Empties, in each sheet of a host faster into empty cells, the noted cells that
    // hold data (see RangesToEmpty), and forgets the notes. Whether any may have been
    // emptied; a sheet the host fails on is left as it is.
    bool EmptyNotedCells();

private:
    struct HeldWrite {
        int row;
        int column;
        CellValue value;
    };
    using Action = std::pair<size_t, std::function<void()>>;  // runs after writes [0, first)

    static void Store(HostSheet& sheet, const std::vector<HeldWrite>& writes);
    static void Replay(HostSheet& sheet, const std::vector<HeldWrite>& writes, std::vector<Action>& actions);

    bool open_ = true;
    bool survey_ = false;
    std::vector<std::shared_ptr<WriteTarget>> targets_;
    std::shared_ptr<WriteTarget> pending_;
    std::vector<HeldWrite> writes_;
    std::vector<Action> actions_;
};
