// Font files for the faces the chart names, found once per process and kept in memory.
#pragma once

#include <string>
#include <vector>

// The bytes of the font file for a face name and style. "Arial" and unknown names are served by
// Liberation Sans, "Times New Roman" by Liberation Serif, "Courier New" by Liberation Mono.
// Throws Exception when no such file is installed.
const std::vector<unsigned char>& FontFileData(const std::string& name, bool bold, bool italic);
