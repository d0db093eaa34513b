#include "catalogue_file.h"

#include "text_util.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace hwsim {

namespace {

struct TypeName {
    const char* keyword;
    int type;
};
constexpr TypeName kTypes[] = {
    {"EPROM", DT_EPROM},
    {"EEPROM", DT_EEPROM},
    {"FLASH", DT_FLASH},
    {"MCU", DT_MICROCONTROLLER},
    {"PLD", DT_PLD},
    {"JTAG", DT_JTAG},
    {"SERIAL_EEPROM", DT_SERIAL_EEPROM},
    {"SRAM", DT_STATIC_RAM},
    {"NAND", DT_NAND_FLASH},
    {"SERIAL_FLASH", DT_SERIAL_FLASH},
    {"OTHER", DT_OTHER},
};

struct FlagName {
    const char* keyword;
    std::uint32_t bit;
};
constexpr FlagName kFlags[] = {
    {"CHECK_ID", DEV_CHECK_ID},
    {"READ", DEV_READ},
    {"ERASE", DEV_ERASE},
    {"BLANK_CHECK", DEV_BLANK_CHECK},
    {"PROGRAM", DEV_PROGRAM},
    {"VERIFY", DEV_VERIFY},
    {"CONFIGURE", DEV_CONFIGURE},
    {"TEST", DEV_TEST},
    {"PIN_CHECK", DEV_PIN_CHECK},
    {"SETUP", DEV_SETUP},
    {"RUN", DEV_RUN},
    {"FILES", DEV_FILES},
    {"ADAPTER", DEV_ADAPTER},
    {"SERIALIZATION", DEV_SERIALIZATION},
    {"STAND_ALONE", DEV_STAND_ALONE},
};

constexpr char kParamsMagic[] = {'Z', 'S', 'I', 'M', 1};

enum class Section { None, Vendor, Device, Adapter, Skipped };

class Parser {
public:
    CatalogueFile run(std::string_view text);

private:
    void header(std::string_view inside);
    void entry(std::string_view key, std::string_view value);
    void vendorKey(std::string_view key, std::string_view value);
    void deviceKey(std::string_view key, std::string_view value);
    void adapterKey(std::string_view key, std::string_view value);
    void memoryKey(int m, std::string_view value);
    void areaKey(int m, std::string_view value);
    void finishDevice();
    void finishAll();
    void vendorFail(const std::string& text);
    void deviceFail(const std::string& text);
    void fail(const std::string& text) {
        if (section_ == Section::Vendor) {
            vendorFail(text);
        } else {
            deviceFail(text);
        }
    }

    CatalogueFile out_;
    Section section_ = Section::None;
    int line_ = 0;
    bool haveType_ = false, haveLib_ = false, haveSizes_ = false;
    std::array<int, 4> areaCount_{};
    std::set<std::string> deviceKeys_, vendorCodes_, adapterPackages_;
};

void Parser::vendorFail(const std::string& text) {
    if (out_.vendorErrorLine == 0) {
        out_.vendorErrorLine = line_;
        out_.vendorError = text;
    }
    section_ = Section::Skipped;
}

void Parser::deviceFail(const std::string& text) {
    if (out_.deviceErrorLine == 0) {
        out_.deviceErrorLine = line_;
        out_.deviceError = text;
    }
    section_ = Section::Skipped;
}

CatalogueFile Parser::run(std::string_view text) {
    while (!text.empty()) {
        ++line_;
        const std::size_t eol = text.find('\n');
        std::string_view raw = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        const std::string_view s = trim(raw);
        if (s.empty() || s[0] == '#' || s[0] == ';') {
            continue;
        }
        if (s.front() == '[') {
            if (section_ == Section::Device) {
                finishDevice();
            }
            if (s.back() != ']') {
                section_ = Section::Skipped;
                deviceFail("section header without ']'");
                continue;
            }
            header(trim(s.substr(1, s.size() - 2)));
            continue;
        }
        const std::size_t eq = s.find('=');
        if (eq == std::string_view::npos) {
            if (section_ != Section::Skipped) {
                fail("line without '='");
            }
            continue;
        }
        entry(trim(s.substr(0, eq)), trim(s.substr(eq + 1)));
    }
    if (section_ == Section::Device) {
        finishDevice();
    }
    finishAll();
    return std::move(out_);
}

void Parser::header(std::string_view inside) {
    const std::size_t blank = inside.find(' ');
    const std::string_view kind = inside.substr(0, blank);
    const std::string_view name =
        blank == std::string_view::npos ? std::string_view() : trim(inside.substr(blank + 1));
    if (equalsNoCase(kind, "vendor")) {
        section_ = Section::Vendor;
        if (name.empty() || name.size() > 4) {
            vendorFail("vendor code must have 1 to 4 characters");
            return;
        }
        if (!vendorCodes_.insert(std::string(name)).second) {
            vendorFail("vendor " + std::string(name) + " given twice");
            return;
        }
        out_.vendors.push_back({std::string(name), {}, {}});
    } else if (equalsNoCase(kind, "device")) {
        section_ = Section::Device;
        const auto parts = split(name, ':');
        if (parts.size() != 3 || parts[0].empty() || parts[1].empty() || parts[2].empty()) {
            deviceFail("device section must be [device VENDOR:NAME:PACKAGE]");
            return;
        }
        if (parts[0].size() > 4 || parts[1].size() > 24 || parts[2].size() > 9) {
            deviceFail("vendor code, name or package too long (4, 24, 9 characters)");
            return;
        }
        CatalogueDevice device;
        device.line = line_;
        putField(device.descriptor.Vendor, sizeof device.descriptor.Vendor, parts[0]);
        putField(device.descriptor.Name, sizeof device.descriptor.Name, parts[1]);
        putField(device.descriptor.Package, sizeof device.descriptor.Package, parts[2]);
        if (!deviceKeys_.insert(device.key()).second) {
            deviceFail("device " + device.key() + " given twice");
            return;
        }
        writeDeviceParams(device.descriptor.LibParams, device.key());
        out_.devices.push_back(std::move(device));
        haveType_ = haveLib_ = haveSizes_ = false;
        areaCount_ = {};
    } else if (equalsNoCase(kind, "adapter")) {
        section_ = Section::Adapter;
        if (name.empty() || name.size() > 9) {
            deviceFail("adapter package must have 1 to 9 characters");
            return;
        }
        if (!adapterPackages_.insert(std::string(name)).second) {
            deviceFail("adapter " + std::string(name) + " given twice");
            return;
        }
        CatalogueAdapter adapter;
        adapter.package = std::string(name);
        adapter.line = line_;
        out_.adapters.push_back(std::move(adapter));
    } else {
        section_ = Section::Skipped;
        deviceFail("unknown section '" + std::string(kind) + "'");
    }
}

void Parser::entry(std::string_view key, std::string_view value) {
    switch (section_) {
    case Section::Vendor:
        vendorKey(key, value);
        break;
    case Section::Device:
        deviceKey(key, value);
        break;
    case Section::Adapter:
        adapterKey(key, value);
        break;
    case Section::None:
        deviceFail("entry outside a section");
        break;
    case Section::Skipped:
        break;
    }
}

void Parser::vendorKey(std::string_view key, std::string_view value) {
    CatalogueVendor& v = out_.vendors.back();
    if (equalsNoCase(key, "name")) {
        if (value.empty() || value.size() > 49) {
            vendorFail("vendor name must have 1 to 49 characters");
            return;
        }
        v.name = std::string(value);
    } else if (equalsNoCase(key, "web")) {
        if (value.size() > 52) {
            vendorFail("web address longer than 52 characters");
            return;
        }
        v.web = std::string(value);
    } else {
        vendorFail("unknown vendor key '" + std::string(key) + "'");
    }
}

int memoryIndex(std::string_view key, std::string_view prefix) {
    if (key.size() != prefix.size() + 1 || !equalsNoCase(key.substr(0, prefix.size()), prefix)) {
        return -1;
    }
    const char c = static_cast<char>(key.back() & ~0x20);
    return c >= 'A' && c <= 'D' ? c - 'A' : -1;
}

void Parser::deviceKey(std::string_view key, std::string_view value) {
    CatalogueDevice& d = out_.devices.back();
    DeviceDescriptor& desc = d.descriptor;
    if (equalsNoCase(key, "type")) {
        for (const TypeName& t : kTypes) {
            if (equalsNoCase(value, t.keyword)) {
                desc.Type = static_cast<std::uint8_t>(t.type);
                haveType_ = true;
                return;
            }
        }
        deviceFail("unknown device type '" + std::string(value) + "'");
    } else if (equalsNoCase(key, "lib")) {
        if (value.empty() || value.size() > 19) {
            deviceFail("lib must have 1 to 19 characters");
            return;
        }
        putField(desc.LibName, sizeof desc.LibName, value);
        haveLib_ = true;
    } else if (equalsNoCase(key, "pins")) {
        const auto n = parseNumber(value);
        if (!n || *n > 255) {
            deviceFail("pins must be 0 to 255");
            return;
        }
        desc.PinCount = static_cast<std::uint32_t>(*n);
    } else if (equalsNoCase(key, "sizes")) {
        const auto items = words(value);
        if (items.size() != 5) {
            deviceFail("sizes needs five numbers: A, B, C, D, E");
            return;
        }
        for (std::size_t i = 0; i < 5; ++i) {
            const auto n = parseNumber(items[i]);
            if (!n || *n > 0xFFFFFFFFu) {
                deviceFail("size is not a 32-bit number");
                return;
            }
            desc.MemSize[i] = static_cast<std::uint32_t>(*n);
        }
        haveSizes_ = true;
    } else if (equalsNoCase(key, "flags")) {
        std::uint32_t flags = 0;
        for (std::string_view w : words(value)) {
            bool known = false;
            for (const FlagName& f : kFlags) {
                if (equalsNoCase(w, f.keyword)) {
                    flags |= f.bit;
                    known = true;
                }
            }
            if (!known) {
                deviceFail("unknown flag '" + std::string(w) + "'");
                return;
            }
        }
        desc.Flags = flags;
    } else if (equalsNoCase(key, "id")) {
        d.id.clear();
        for (std::string_view w : words(value)) {
            const auto b = parseHexByte(w);
            if (!b || d.id.size() >= 8) {
                deviceFail("id must be 1 to 8 hexadecimal bytes");
                return;
            }
            d.id.push_back(*b);
        }
    } else if (equalsNoCase(key, "blank")) {
        const auto b = parseHexByte(value);
        if (!b) {
            deviceFail("blank must be a hexadecimal byte");
            return;
        }
        d.blank = *b;
    } else if (const int m = memoryIndex(key, "mem"); m >= 0) {
        memoryKey(m, value);
    } else if (const int a = memoryIndex(key, "area"); a >= 0) {
        areaKey(a, value);
    } else {
        deviceFail("unknown device key '" + std::string(key) + "'");
    }
}

void Parser::memoryKey(int m, std::string_view value) {
    BufferInfo& b = out_.devices.back().buffers[m];
    const auto parts = split(value, '|');
    if (parts.size() < 2 || parts.size() > 4 || parts[0].empty() || parts[0].size() > 29) {
        deviceFail("memory needs: name (1 to 29 characters) | organisation [| #RRGGBB [| flags]]");
        return;
    }
    putField(b.Name, sizeof b.Name, parts[0]);
    const std::string_view org = parts[1];
    if (org == "8") {
        b.Organization = ORG_8BIT;
    } else if (org == "16") {
        b.Organization = ORG_16BIT;
    } else if (org == "32") {
        b.Organization = ORG_32BIT;
    } else if (equalsNoCase(org, "fuse")) {
        b.Organization = ORG_FUSE_MAP;
    } else if (equalsNoCase(org, "vectors")) {
        b.Organization = ORG_TEST_VECTORS;
    } else {
        deviceFail("organisation must be 8, 16, 32, fuse or vectors");
        return;
    }
    if (parts.size() > 2 && !parts[2].empty()) {
        const auto color = parseColor(parts[2]);
        if (!color) {
            deviceFail("colour must be #RRGGBB");
            return;
        }
        b.Color = *color;
    }
    b.Flags = 0;
    if (parts.size() > 3) {
        for (std::string_view w : words(parts[3])) {
            if (equalsNoCase(w, "read-only")) {
                b.Flags |= BUF_READ_ONLY;
            } else if (equalsNoCase(w, "mandatory")) {
                b.Flags |= BUF_MANDATORY;
            } else if (equalsNoCase(w, "disabled")) {
                b.Flags |= BUF_START_DISABLED;
            } else {
                deviceFail("memory flag must be read-only, mandatory or disabled");
                return;
            }
        }
    }
}

void Parser::areaKey(int m, std::string_view value) {
    const auto parts = split(value, '|');
    if (parts.size() != 4 || parts[0].empty() || parts[0].size() > 31) {
        deviceFail("area needs: name (1 to 31 characters) | start | end | #RRGGBB");
        return;
    }
    if (areaCount_[m] >= 6) {
        deviceFail("a memory has at most six areas");
        return;
    }
    const auto start = parseNumber(parts[1]);
    const auto end = parseNumber(parts[2]);
    const auto color = parseColor(parts[3]);
    if (!start || !end || *start > *end || *end > 0xFFFFFFFFu) {
        deviceFail("area start and end must be numbers with start <= end");
        return;
    }
    if (!color || *color == 0) {
        deviceFail("area colour must be #RRGGBB and not black");
        return;
    }
    AreaInfo& a = out_.devices.back().buffers[m].Areas[areaCount_[m]++];
    putField(a.Name, sizeof a.Name, parts[0]);
    a.Start = static_cast<std::uint32_t>(*start);
    a.End = static_cast<std::uint32_t>(*end);
    a.Color = *color;
}

void Parser::adapterKey(std::string_view key, std::string_view value) {
    CatalogueAdapter& a = out_.adapters.back();
    if (equalsNoCase(key, "plug")) {
        const auto n = parseNumber(value);
        if (!n || *n < 6 || *n > 48 || *n % 2 != 0) {
            deviceFail("plug must be an even number from 6 to 48");
            return;
        }
        a.plugPins = static_cast<std::uint8_t>(*n);
    } else if (equalsNoCase(key, "pins")) {
        const auto n = parseNumber(value);
        if (!n || *n == 0 || *n > 255) {
            deviceFail("pins must be 1 to 255");
            return;
        }
        a.devicePins = static_cast<std::uint8_t>(*n);
    } else if (equalsNoCase(key, "wiring")) {
        a.wiring.clear();
        for (std::string_view w : words(value)) {
            std::vector<std::uint8_t> pins;
            if (w != "-") {
                for (std::string_view p : split(w, '+')) {
                    const auto n = parseNumber(p);
                    if (!n || *n == 0 || *n > 255 || pins.size() >= 48) {
                        deviceFail("wiring items are chip pins 1 to 255, '-' or a+b");
                        return;
                    }
                    pins.push_back(static_cast<std::uint8_t>(*n));
                }
            }
            a.wiring.push_back(std::move(pins));
            if (a.wiring.size() > 48) {
                deviceFail("wiring has more than 48 items");
                return;
            }
        }
    } else {
        deviceFail("unknown adapter key '" + std::string(key) + "'");
    }
}

void Parser::finishDevice() {
    const CatalogueDevice& d = out_.devices.back();
    const int saved = line_;
    line_ = d.line;
    if (!haveType_ || !haveLib_ || !haveSizes_) {
        deviceFail("device " + d.key() + " lacks type, lib or sizes");
    } else if ((d.descriptor.Flags & DEV_CHECK_ID) != 0 && d.id.empty()) {
        deviceFail("device " + d.key() + " offers Check ID but has no id");
    } else {
        for (int m = 0; m < 4; ++m) {
            const BufferInfo& b = d.buffers[m];
            if (d.descriptor.MemSize[m] == 0 && b.Name[0] != 0) {
                deviceFail("memory " + std::string(1, char('A' + m)) +
                           " described but its size is 0");
                break;
            }
            for (const AreaInfo& a : b.Areas) {
                if (a.Color != 0 && a.End >= d.descriptor.MemSize[m]) {
                    deviceFail("area '" + std::string(getField(a.Name, sizeof a.Name)) +
                               "' lies outside its memory");
                    break;
                }
            }
        }
    }
    line_ = saved;
    section_ = Section::Skipped;
}

void Parser::finishAll() {
    // Memories without a description get a default one.
    for (CatalogueDevice& d : out_.devices) {
        for (int m = 0; m < 4; ++m) {
            BufferInfo& b = d.buffers[m];
            if (d.descriptor.MemSize[m] != 0 && b.Name[0] == 0) {
                const std::string name = std::string("Memory ") + char('A' + m);
                putField(b.Name, sizeof b.Name, name);
                b.Organization = ORG_8BIT;
            }
            if (d.descriptor.MemSize[m] != 0 && b.Color == 0) {
                b.Color = 0x00FFFFFF;
            }
        }
    }
    for (const CatalogueDevice& d : out_.devices) {
        const std::string vendor(getField(d.descriptor.Vendor, sizeof d.descriptor.Vendor));
        if (vendorCodes_.count(vendor) == 0 && out_.deviceErrorLine == 0) {
            out_.deviceErrorLine = d.line;
            out_.deviceError = "device " + d.key() + " names an unknown vendor";
        }
    }
    for (const CatalogueAdapter& a : out_.adapters) {
        if ((a.plugPins == 0 || a.devicePins == 0 || a.wiring.size() != a.plugPins) &&
            out_.deviceErrorLine == 0) {
            out_.deviceErrorLine = a.line;
            out_.deviceError =
                "adapter " + a.package + " needs plug, pins and one wiring item per plug pin";
        }
    }
    if (out_.vendorErrorLine != 0) {
        out_.vendors.clear();
    }
    if (out_.deviceErrorLine != 0) {
        out_.devices.clear();
        out_.adapters.clear();
    }
}

} // namespace

std::string CatalogueDevice::key() const {
    std::string k(getField(descriptor.Vendor, sizeof descriptor.Vendor));
    k += ':';
    k += getField(descriptor.Name, sizeof descriptor.Name);
    k += ':';
    k += getField(descriptor.Package, sizeof descriptor.Package);
    return k;
}

CatalogueFile parseCatalogue(std::string_view text) {
    return Parser().run(text);
}

void writeDeviceParams(std::uint8_t* params, std::string_view key) {
    std::memset(params, 0, sizeof(DeviceDescriptor::LibParams));
    std::memcpy(params, kParamsMagic, sizeof kParamsMagic);
    const std::size_t room = sizeof(DeviceDescriptor::LibParams) - sizeof kParamsMagic - 1;
    std::memcpy(params + sizeof kParamsMagic, key.data(), std::min(key.size(), room));
}

std::string readDeviceParams(const std::uint8_t* params) {
    if (params == nullptr || std::memcmp(params, kParamsMagic, sizeof kParamsMagic) != 0) {
        return {};
    }
    const char* text = reinterpret_cast<const char*>(params + sizeof kParamsMagic);
    return std::string(getField(text, sizeof(DeviceDescriptor::LibParams) - sizeof kParamsMagic));
}

std::string_view typeKeyword(int type) {
    for (const TypeName& t : kTypes) {
        if (t.type == type) {
            return t.keyword;
        }
    }
    return {};
}

} // namespace hwsim
