// Saving a full 20001-point spectrum workbook: the program's libxlsxwriter path against a
// scripting writer (Python with openpyxl) producing the same sheet, per save.

#include "results/workbook_content.h"
#include "results/workbook_writer.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kPoints = 20001;

// A 0.004 nm grid and a ripple, in single precision as a scan leaves them.
void makeSpectrum(std::vector<float>& wl, std::vector<float>& value)
{
    for (int i = 0; i < kPoints; ++i) {
        wl.push_back(1500.0F + 0.004F * static_cast<float>(i));
        value.push_back(-40.0F + 30.0F * std::sin(0.01F * static_cast<float>(i)));
    }
}

void BM_SpectrumWorkbook_Libxlsxwriter(benchmark::State& state)
{
    std::vector<float> wl, value;
    makeSpectrum(wl, value);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("VXM_Spectrum.xlsx"));
    XlsxWorkbookWriter writer;
    for (auto _ : state) {
        // What one click costs after the dialog: the table, the file, the rename.
        const SheetContent sheet = spectrumSheet(wl, value, kPoints - 1, false, true);
        if (!saveWorkbook(writer, sheet, target)) state.SkipWithError("workbook not written");
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(target).size());
}
BENCHMARK(BM_SpectrumWorkbook_Libxlsxwriter)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(7);

// The same sheet from Python: header, 20001 rows of the same rounded numbers, Courier New 12 and
// centring on the written cells, the column widths and formats. openpyxl's write-only mode is its
// fastest way to write a sheet, so the comparison is against the scripting writer at its best.
// The script prints its own write time.
constexpr const char* kOpenpyxlScript = R"py(import sys, time
from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
from openpyxl.styles import Font, Alignment
src, dst = sys.argv[1], sys.argv[2]
with open(src) as f:
    nums = [float(x) for x in f.read().split()]
t0 = time.perf_counter()
wb = Workbook(write_only=True)
ws = wb.create_sheet("Spectrum")
font = Font(name="Courier New", size=12)
centre = Alignment(horizontal="center")
for col, width in (("A", 15), ("B", 20), ("C", None), ("D", None)):
    dim = ws.column_dimensions[col]
    if width:
        dim.width = width
    dim.font = font
    if col in "AB":
        dim.alignment = centre
def cell(value):
    c = WriteOnlyCell(ws, value=value)
    c.font = font
    c.alignment = centre
    return c
ws.append([cell("WL (nm)"), cell(" IL (dB)")])
for i in range(0, len(nums), 2):
    ws.append([cell(nums[i]), cell(nums[i + 1])])
wb.save(dst)
print(time.perf_counter() - t0)
)py";

void BM_SpectrumWorkbook_PythonOpenpyxl(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("write_spectrum.py"));
    const QString numbers = dir.filePath(QStringLiteral("numbers.txt"));
    const QString target = dir.filePath(QStringLiteral("VXM_Spectrum.xlsx"));
    {
        QFile s(script);
        if (!s.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write the script");
        s.write(kOpenpyxlScript);
        QFile n(numbers);
        if (!n.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write the numbers");
        std::vector<float> wl, value;
        makeSpectrum(wl, value);
        for (double v : spectrumSheet(wl, value, kPoints - 1, false, true).values)
            n.write(QByteArray::number(v, 'g', 17) + '\n');
    }
    // Debian's interpreter, where python3-openpyxl lives.
    const QByteArray command = "/usr/bin/python3 '" + QFile::encodeName(script) + "' '" + QFile::encodeName(numbers) +
                               "' '" + QFile::encodeName(target) + "'";
    double scriptSeconds = 0.0;
    for (auto _ : state) {
        FILE* python = popen(command.constData(), "r");
        if (python == nullptr) return state.SkipWithError("cannot start python3");
        double seconds = 0.0;
        const bool read = std::fscanf(python, "%lf", &seconds) == 1;
        if (pclose(python) != 0 || !read) return state.SkipWithError("python3 with openpyxl failed");
        scriptSeconds += seconds;
    }
    // Time inside the script, without the interpreter's start-up and the reading of the numbers.
    state.counters["write_only_ms"] = benchmark::Counter(scriptSeconds * 1000.0, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SpectrumWorkbook_PythonOpenpyxl)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

}  // namespace

BENCHMARK_MAIN();
