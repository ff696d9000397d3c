#pragma once

#include <string>
#include <string_view>

// Writes bytes to path all at once: into a new temporary file in the same folder, which
// then replaces path by a rename. On failure the temporary file is removed, an earlier
// file of that name is left as it was, and std::runtime_error is thrown.
void WriteFileAtomically(const std::string& path, std::string_view bytes);
