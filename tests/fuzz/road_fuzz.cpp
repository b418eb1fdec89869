// lpgctl plot's reader and drawing on any text: a road-test log as CSV
// (roadLogFromCsv) drawn into the picture (drawRoadPlot). Besides crashes and
// hangs: the CSV splitter's records written back with the log's own quoting
// read the same, a log that reads has a row for each sample, and the picture
// has the size it says.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/road_log.h"
#include "shell/road_plot.h"
#include "tests/fuzz/harness/fuzz_input.h"

namespace {

// The picture is drawn once per input at its full size, so inputs stay at
// the size scripts/fuzz gives (-max_len) whoever runs the target.
const size_t MaxInput = 8192;

typedef std::vector<std::vector<std::string>> Records;

void checkCsvRoundTrip(const std::string& text) {
    Records records;
    if (!csvParse(text, &records)) return;
    std::string again;
    for (const auto& r : records) {
        for (size_t i = 0; i < r.size(); ++i) again += (i ? "," : "") + csvField(r[i]);
        again += "\r\n";
    }
    Records back;
    FUZZ_CHECK(csvParse(again, &back));
    FUZZ_CHECK(back == records);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > MaxInput) return 0;
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkCsvRoundTrip(text);
    RoadLog log;
    std::string error;
    if (!roadLogFromCsv(text, &log, &error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(!log.samples.empty());
    const Picture p = drawRoadPlot(log);
    FUZZ_CHECK(p.width > 0 && p.height > 0);
    FUZZ_CHECK(p.rgb.size() == size_t(p.width) * size_t(p.height) * 3);
    return 0;
}
