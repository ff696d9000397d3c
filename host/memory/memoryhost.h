#pragma once

#include "host/hostbackend.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A spreadsheet host held in memory, for tests: workbooks, sheets and cells in maps,
// with switches that make calls fail and counters of the calls made. Its sheets move
// blocks in one call, like the real backends.
class MemoryHost : public HostBackend {
public:
    struct SheetData {
        std::string name;
        std::map<std::pair<int, int>, CellValue> cells;  // (row, column), 1-based

        // The last column that holds a cell, worked out again only when the cells have
        // changed since (through the host: changes; directly: a different count).
        int UsedColumns();
        unsigned long long changes = 0;

    private:
        int usedColumns_ = 0;
        unsigned long long countedAt_ = ~0ULL;
        size_t countedCells_ = 0;
    };
    struct WorkbookData {
        std::string fullName;
        std::vector<SheetData> sheets;
    };

    struct Failures {
        bool workbookCount = false;   // WorkbookCount throws
        bool sheetAccess = false;     // Sheet() and SheetCount() throw
        int failReadAfter = -1;       // every read call throws once this many have been made
        int failWriteAfter = -1;      // a write throws once this many cells have been written;
                                      // a block that would pass the mark writes nothing
        std::pair<int, int> lockedCell{0, 0};  // (row, column): a write to it throws, like a
                                               // locked cell; so does a block over it
    };

    struct Counters {
        int reads = 0;        // ReadCell calls
        int writes = 0;       // cells written, one by one or in blocks (the blank cells of a block not counted)
        int cellWrites = 0;   // WriteCell calls
        int blockReads = 0;   // ReadBlock calls
        int blockWrites = 0;  // WriteBlock calls
        int usedAreas = 0;    // UsedArea calls
        int writeLimits = 0;  // WriteLimits calls
        int emptiedCells = 0; // cells that held data when EmptyCells emptied them

        // Every call that asks the host about cells, and every call that changes them.
        int ReadCalls() const { return reads + blockReads + usedAreas + writeLimits; }
        int WriteCalls() const { return cellWrites + blockWrites; }
    };

    // Adds a workbook and returns its 1-based position.
    int AddWorkbook(std::string fullName, std::vector<std::string> sheetNames);
    // Sets a cell; row and column 1-based, or by A1-style name.
    void Set(int book, int sheet, int row, int column, CellValue value);
    void Set(int book, int sheet, const std::string& cellName, CellValue value);
    void SetText(int book, int sheet, const std::string& cellName, std::string text);
    CellValue Get(int book, int sheet, int row, int column) const;
    void CloseWorkbook(int book);

    std::vector<WorkbookData> workbooks;
    // Its sheets ask to have cells emptied before blocks go over them, as LibreOffice's.
    bool fasterIntoEmptyCells = false;
    Failures failures;
    Counters counters;

    int WorkbookCount() override;
    std::string WorkbookFullName(int book) override;
    int SheetCount(int book) override;
    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override;

private:
    friend class MemorySheet;
    WorkbookData& BookAt(int book);
};
