// Internet streams as the engine sees them.
#pragma once
#include <string>

// Starts connecting to a URL, or to a "|"-separated list of URLs tried in
// turn; false when it cannot start.
bool StartNetStream(const wchar_t* urls);
// The address list most recently handed over.
const std::wstring& LastNetStreamRequest();
