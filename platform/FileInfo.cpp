#include "platform/FileInfo.h"

#include "platform/Handles.h"

namespace typa::files {

std::optional<SYSTEMTIME> LastWriteTime(const std::string& path)
{
    if (path.empty()) return std::nullopt;
    WIN32_FIND_DATAA data{};
    UniqueFind find(FindFirstFileA(path.c_str(), &data));
    if (!find) return std::nullopt;
    // Straight to a local calendar date: the packed DOS form would only lose dates before 1980.
    FILETIME local{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &st))
        return std::nullopt;
    return st;
}

std::string ShortDateText(const SYSTEMTIME& date)
{
    char buf[128] = {};
    int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, buf, sizeof buf);
    return n > 0 ? std::string(buf) : std::string();
}

} // namespace typa::files
