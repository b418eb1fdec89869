// The port list as the system reports it (harness/port_names.h): names of
// any bytes and lengths, any number of values, a list that can't be opened.
// Held against a plain reading of the digit rule: at most MaxFoundPorts kept,
// ascending as unsigned numbers, each the number of one of the first values;
// every value asked for once, in order, and the list closed once. Each name
// is also parsed alone from a buffer of exactly its size, so a read past its
// end is a finding; and fuzz-made numbers are sorted on their own.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/port_enum.h"
#include "tests/fuzz/harness/fuzz_input.h"
#include "tests/fuzz/harness/port_names.h"

namespace {

struct Name {
    std::vector<uint8_t> bytes;
    bool terminated;
};

struct FuzzList {
    bool opens;
    uint32_t values;
    std::vector<Name> names;
    // What the enumeration did to the list.
    uint32_t asked = 0;
    int opened = 0, closed = 0;
    std::vector<std::vector<uint8_t>> given;  // the data of the first values, as written
};

bool listOpen(void* c) {
    FuzzList* l = static_cast<FuzzList*>(c);
    ++l->opened;
    return l->opens;
}

bool listValue(void* c, uint32_t index, char* data, size_t cap) {
    FuzzList* l = static_cast<FuzzList*>(c);
    FUZZ_CHECK(l->opened == 1 && l->closed == 0);
    FUZZ_CHECK(index == l->asked);  // in order, each once
    ++l->asked;
    if (index >= l->values) return false;
    const Name empty = {{}, true};
    const Name& n = l->names.empty() ? empty : l->names[index % l->names.size()];
    const size_t len = std::min(n.bytes.size(), cap);
    if (len > 0) memcpy(data, n.bytes.data(), len);
    if (len < cap && n.terminated) data[len] = '\0';
    // Only the values kept can be compared.
    if (l->given.size() < MaxFoundPorts)
        l->given.emplace_back(n.bytes.begin(), n.bytes.begin() + len);
    return true;
}

void listClose(void* c) { ++static_cast<FuzzList*>(c)->closed; }

// The digit rule, read plainly: the first three characters skipped whatever
// they are, then up to three decimal digits; nothing for a shorter string.
uint32_t plainNumber(const std::vector<uint8_t>& given) {
    // The program's buffer holds PortNameDataSize - 1 characters.
    std::vector<uint8_t> s(given.begin(),
                           given.begin() + std::min<size_t>(given.size(), PortNameDataSize - 1));
    s.resize(std::find(s.begin(), s.end(), 0) - s.begin());
    uint32_t n = 0;
    for (size_t i = 3; i < s.size() && i < 6 && s[i] >= '0' && s[i] <= '9'; ++i)
        n = n * 10 + (s[i] - '0');
    return n;
}

// Parsed alone from a buffer of exactly its size.
void parseAlone(const Name& n) {
    const size_t len = std::find(n.bytes.begin(), n.bytes.end(), 0) - n.bytes.begin();
    char* exact = static_cast<char*>(malloc(len + 1));
    if (len > 0) memcpy(exact, n.bytes.data(), len);
    exact[len] = '\0';
    FUZZ_CHECK(portNumberFromName(exact) == plainNumber(n.bytes));
    free(exact);
}

FuzzList readList(FuzzInput& in, std::vector<uint32_t>* numbers) {
    FuzzList l;
    l.opens = !(in.byte() & PortListUnreadable);
    l.values = (uint32_t{in.byte()} << 8 | in.byte()) % PortValueCountModulo;
    while (!in.empty()) {
        const uint8_t b = in.byte();
        if (b == PortNumbersFollow) break;
        Name n;
        n.bytes.resize(b & PortNameLengthMask);
        n.bytes.resize(in.bytes(n.bytes.data(), n.bytes.size()));
        n.terminated = !(b & PortNameUnterminated);
        l.names.push_back(n);
    }
    while (in.left() >= 4) numbers->push_back(in.word32());
    return l;
}

void checkEnumeration(FuzzList& l) {
    const int count = enumeratePorts({listOpen, listValue, listClose, &l});
    if (!l.opens) {
        FUZZ_CHECK(count == -1 && l.asked == 0 && l.closed == 0);
        return;
    }
    FUZZ_CHECK(l.closed == 1);
    FUZZ_CHECK(l.asked == l.values + 1);  // up to the "no more values" answer
    FUZZ_CHECK(count == static_cast<int>(std::min<uint32_t>(l.values, MaxFoundPorts)));
    std::vector<uint32_t> expected;
    for (int i = 0; i < count; ++i) expected.push_back(plainNumber(l.given[i]));
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), FoundPorts));
}

void checkSort(std::vector<uint32_t> numbers) {
    std::vector<uint32_t> expected = numbers;
    std::sort(expected.begin(), expected.end());
    sortPortNumbers(numbers.data(), static_cast<int>(numbers.size()));
    FUZZ_CHECK(numbers == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    std::vector<uint32_t> numbers;
    FuzzList l = readList(in, &numbers);
    for (const Name& n : l.names) parseAlone(n);
    FUZZ_CHECK(portNumberFromName(nullptr) == 0);
    checkEnumeration(l);
    checkSort(numbers);
    sortPortNumbers(nullptr, 0);
    return 0;
}
