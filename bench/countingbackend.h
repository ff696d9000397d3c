#pragma once

// A host backend that passes every call on to another one and counts what the
// benchmarks print: every call into the backend and its sheets (blocks included), the
// cells written and the write calls that wrote them, and the time spent in the write
// calls and their questions.

#include "host/hostbackend.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CountingBackend : public HostBackend {
public:
    explicit CountingBackend(std::shared_ptr<HostBackend> inner) : inner_(std::move(inner)) {}
    int WorkbookCount() override { return ++calls, inner_->WorkbookCount(); }
    std::string WorkbookFullName(int book) override { return ++calls, inner_->WorkbookFullName(book); }
    int SheetCount(int book) override { return ++calls, inner_->SheetCount(book); }
    std::unique_ptr<HostSheet> Sheet(int book, int sheet) override
    {
        ++calls;
        return std::make_unique<CountingSheet>(inner_->Sheet(book, sheet), *this);
    }

    long long calls = 0;       // every call
    long long writes = 0;      // cells written, empty ones of a block left out
    long long writeCalls = 0;  // single writes and blocks
    double hostSeconds = 0;    // spent in the write calls and their questions

private:
    class CountingSheet : public HostSheet {
    public:
        CountingSheet(std::unique_ptr<HostSheet> inner, CountingBackend& counts) : inner_(std::move(inner)), counts_(counts)
        {
        }
        std::string Name() override { return ++counts_.calls, inner_->Name(); }
        CellValue ReadCell(int row, int column) override { return ++counts_.calls, inner_->ReadCell(row, column); }
        void WriteCell(int row, int column, const CellValue& value) override
        {
            ++counts_.calls;
            ++counts_.writes;
            ++counts_.writeCalls;
            Timed([&] { inner_->WriteCell(row, column, value); });
        }
        bool BlockAccess() const override { return inner_->BlockAccess(); }
        CellRange UsedArea() override { return ++counts_.calls, inner_->UsedArea(); }
        std::vector<CellValue> ReadBlock(const CellRange& range) override
        {
            return ++counts_.calls, inner_->ReadBlock(range);
        }
        void WriteBlock(const CellRange& range, const std::vector<CellValue>& values) override
        {
            ++counts_.calls;
            for (const CellValue& value : values)
                counts_.writes += value.kind != CellValue::Kind::Empty;
            ++counts_.writeCalls;
            Timed([&] { inner_->WriteBlock(range, values); });
        }
        bool FasterIntoEmptyCells() const override { return inner_->FasterIntoEmptyCells(); }
        void EmptyCells(const std::vector<CellRange>& ranges) override
        {
            ++counts_.calls;
            Timed([&] { inner_->EmptyCells(ranges); });
        }
        BlockWriteLimits WriteLimits(const CellRange& area) override
        {
            ++counts_.calls;
            BlockWriteLimits limits;
            Timed([&] { limits = inner_->WriteLimits(area); });
            return limits;
        }

    private:
        template <class Call>
        void Timed(Call call)
        {
            auto start = std::chrono::steady_clock::now();
            call();
            counts_.hostSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }

        std::unique_ptr<HostSheet> inner_;
        CountingBackend& counts_;
    };
    std::shared_ptr<HostBackend> inner_;
};
