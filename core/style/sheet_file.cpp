// Style sheet files: their text and their modification time, through the
// standard library only.
#include "core/style/css.hpp"
#include "core/style/detail/text.hpp"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace orvy {

namespace {

std::filesystem::path to_path(std::string_view utf8_path)
{
    return std::filesystem::path(std::u8string(utf8_path.begin(), utf8_path.end()));
}

}

std::string read_sheet_file(std::string_view utf8_path)
{
    std::error_code error;
    std::filesystem::path const path = to_path(utf8_path);
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return {};
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return {};
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    if (!detail::is_valid_utf8(text))
        return {};
    return text;
}

std::int64_t sheet_file_time(std::string_view utf8_path)
{
    std::error_code error;
    auto const written = std::filesystem::last_write_time(to_path(utf8_path), error);
    if (error)
        return unix_epoch_file_time;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    auto const since_1970 = std::chrono::floor<Ticks>(std::chrono::file_clock::to_sys(written)).time_since_epoch();
    return unix_epoch_file_time + since_1970.count();
}

}
