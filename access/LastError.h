#pragma once

#include <cstdint>
#include <string>

// The process-wide last-error message. An importer or exporter that fails stores one message here
// and returns false; the caller shows it and clears it. Only the GUI thread uses it.

void SetLastErrorMsg(const std::string& strText);
int32_t HasLastError();
std::string GetLastErrorMsg();
void ClearLastError();
