#pragma once
// What the build-information box says: the copyright line and the build's time stamp
// (yymmdd-hhmm), an empty line, and "DS:" with the build's 32-digit source digest.

#include <string>

std::string BuildInformationText();
