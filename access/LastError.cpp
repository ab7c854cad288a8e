#include "access/LastError.h"

namespace {
std::string g_strLastError;
int32_t g_bLastError = 0;
} // namespace

void SetLastErrorMsg(const std::string& strText)
{
    g_strLastError = strText;
    g_bLastError = 1;
}

int32_t HasLastError()
{
    return g_bLastError;
}

std::string GetLastErrorMsg()
{
    return g_strLastError;
}

void ClearLastError()
{
    g_strLastError.clear();
    g_bLastError = 0;
}
