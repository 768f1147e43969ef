// Writes the same 1,000,000 distinct short texts with the workbook writer, the .xlsx writer and
// libxlsxwriter (default and constant-memory mode) and prints, one figure per line, cells per
// second, peak memory and the speed ratios. Each run happens in a child process so that peaks don't mix.
// A worksheet of this format has at most 65,536 rows, so the cells are laid out as 62,500 rows of
// 16 columns in every writer. Usage: xls_bench [output folder] [repetitions]
#include "xls/Workbook.h"
#include "xls/XlsxWorkbook.h"

#include <xlsxwriter.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <type_traits>

namespace {

constexpr uint32_t kRows = 62500;
constexpr uint32_t kColumns = 16;
constexpr double kCells = double{kRows} * kColumns;

// Puts the decimal digits of value at out; returns the end.
template <typename Char> Char* Digits(Char* out, uint32_t value) {
    char reversed[10];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        *out++ = static_cast<Char>(reversed[--n]);
    return out;
}

// "R<row>C<column>" into buf, returning its length. Written by hand: the texts are made in the
// timed loop of every writer, and snprintf would cost about half of the time of the fastest.
template <typename Char> size_t CellText(Char* buf, uint32_t row, uint32_t column) {
    Char* out = buf;
    *out++ = static_cast<Char>('R');
    out = Digits(out, row);
    *out++ = static_cast<Char>('C');
    out = Digits(out, column);
    *out = 0;
    return static_cast<size_t>(out - buf);
}

struct Result {
    double seconds = 0;
    double writerMemoryMb = 0;
    double fileMb = 0;
};

// Our writer of either format (xls::Workbook, xls::XlsxWorkbook) on the cells.
template <typename Book> Result RunOurs(const std::filesystem::path& path) {
    const auto start = std::chrono::steady_clock::now();
    Book book;
    char16_t buf[32];
    for (uint32_t r = 0; r < kRows; ++r)
        for (uint32_t c = 0; c < kColumns; ++c)
            book.setText(r, c, std::u16string_view(buf, CellText(buf, r, c)));
    double memory = 0;
    if constexpr (std::is_same_v<Book, xls::Workbook>)
        memory = book.memoryUsage() / 1e6;
    book.save(path);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), memory, std::filesystem::file_size(path) / 1e6};
}

Result RunXlsxWriter(const std::filesystem::path& path, bool constantMemory) {
    const auto start = std::chrono::steady_clock::now();
    lxw_workbook_options options = {};
    options.constant_memory = constantMemory ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    char buf[32];
    for (uint32_t r = 0; r < kRows; ++r) {
        for (uint32_t c = 0; c < kColumns; ++c) {
            CellText(buf, r, c);
            worksheet_write_string(sheet, r, static_cast<lxw_col_t>(c), buf, nullptr);
        }
    }
    if (workbook_close(workbook) != LXW_NO_ERROR)
        throw std::runtime_error("libxlsxwriter failed");
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), 0, std::filesystem::file_size(path) / 1e6};
}

struct Measured {
    Result best;
    double peakMb = 0;
};

// Runs one writer `repetitions` times, each in a child; keeps the fastest time and the largest peak.
template <typename Run> Measured Measure(Run run, int repetitions) {
    Measured m;
    m.best.seconds = 1e100;
    for (int i = 0; i < repetitions; ++i) {
        int fds[2];
        if (pipe(fds) != 0)
            throw std::runtime_error("pipe failed");
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            Result r{};
            try {
                r = run();
            } catch (const std::exception& e) {
                std::fprintf(stderr, "%s\n", e.what());
                _exit(1);
            }
            const bool ok = write(fds[1], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
            _exit(ok ? 0 : 1);
        }
        close(fds[1]);
        Result r{};
        const bool got = read(fds[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r);
        close(fds[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            throw std::runtime_error("a benchmark run failed");
        if (r.seconds < m.best.seconds)
            m.best = r;
        m.peakMb = std::max(m.peakMb, usage.ru_maxrss / 1024.0);
    }
    return m;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::filesystem::path folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path();
        const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
        const auto xlsPath = folder / "xls_bench.xls";
        const auto xlsxPath = folder / "xls_bench.xlsx";

        const Measured ours = Measure([&] { return RunOurs<xls::Workbook>(xlsPath); }, repetitions);
        const auto oursXlsxPath = folder / "xls_bench_ours.xlsx";
        const Measured oursXlsx = Measure([&] { return RunOurs<xls::XlsxWorkbook>(oursXlsxPath); }, repetitions);
        std::filesystem::remove(oursXlsxPath);
        const Measured lxw = Measure([&] { return RunXlsxWriter(xlsxPath, false); }, repetitions);
        const Measured lxwConstant = Measure([&] { return RunXlsxWriter(xlsxPath, true); }, repetitions);
        std::filesystem::remove(xlsPath);
        std::filesystem::remove(xlsxPath);

        std::printf("cells: %.0f (%u rows x %u columns, distinct short texts)\n", kCells, kRows, kColumns);
        std::printf("xls cells/s: %.0f (goal >= 5000000)\n", kCells / ours.best.seconds);
        std::printf("xls seconds: %.3f\n", ours.best.seconds);
        std::printf("xls peak memory MB: %.1f\n", ours.peakMb);
        std::printf("xls writer memory MB: %.1f\n", ours.best.writerMemoryMb);
        std::printf("xls file MB: %.1f\n", ours.best.fileMb);
        std::printf("libxlsxwriter cells/s: %.0f\n", kCells / lxw.best.seconds);
        std::printf("libxlsxwriter peak memory MB: %.1f\n", lxw.peakMb);
        std::printf("libxlsxwriter constant_memory cells/s: %.0f\n", kCells / lxwConstant.best.seconds);
        std::printf("libxlsxwriter constant_memory peak memory MB: %.1f\n", lxwConstant.peakMb);
        std::printf("ratio xls/libxlsxwriter: %.2f (goal >= 8)\n", lxw.best.seconds / ours.best.seconds);
        std::printf("ratio xls/libxlsxwriter constant_memory: %.2f\n", lxwConstant.best.seconds / ours.best.seconds);
        std::printf("xlsx cells/s: %.0f\n", kCells / oursXlsx.best.seconds);
        std::printf("xlsx peak memory MB: %.1f\n", oursXlsx.peakMb);
        std::printf("ratio xlsx/xls time: %.2f (goal <= 1.3)\n", oursXlsx.best.seconds / ours.best.seconds);
        std::printf("ratio xlsx/libxlsxwriter constant_memory: %.2f (goal >= 5)\n",
                    lxwConstant.best.seconds / oursXlsx.best.seconds);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xls_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
