#pragma once

#include <stdexcept>

// The library's general failure, carrying a message meant for the user (for example a
// rejected number: the store's "IDS_WRONGVALUE" text, a space and the input).
class LibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
