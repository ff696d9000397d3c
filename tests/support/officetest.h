#pragma once

#include "host/excelsheet.h"
#include "tests/support/officefixture.h"
#include "host/libreoffice/unohost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// A test suite that shares one private office among its tests (starting one takes
// seconds). Its tests are skipped where LibreOffice is not installed and fail where it
// would not start; every document is closed after each test.
class OfficeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (OfficeFixture::FindOffice().empty())
            return;
        try {
            office = std::make_unique<OfficeFixture>();
        } catch (const OfficeError& e) {
            startFailure = e.what();
        }
    }
    static void TearDownTestSuite() { office.reset(); }

    void SetUp() override
    {
        if (!startFailure.empty())
            FAIL() << "the office did not start: " << startFailure;
        if (!office)
            GTEST_SKIP() << "LibreOffice (soffice) is not installed";
        if (std::string obituary = office->Obituary(); !obituary.empty())
            FAIL() << "the suite's office is gone: " << obituary;
    }
    void TearDown() override
    {
        if (office)
            office->CloseAll();
    }

    // Connects the backend under test to the suite's office.
    static HostConnector Connector()
    {
        return [connection = office->Connection()] { return ConnectLibreOfficeAt(connection); };
    }

    static inline std::unique_ptr<OfficeFixture> office;
    static inline std::string startFailure;
};
