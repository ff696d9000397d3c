#pragma once

#include <string_view>

// Where the lower layers show their warning boxes (warning icon, one OK button).
// The main window shows them; tests and the command line collect or print them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Warning(std::string_view caption, std::string_view text) = 0;
};
