#include "catalogue.h"

#include "file_handle.h"
#include "text_util.h"

namespace hwsim {

Catalogue::Catalogue(CatalogueFile file) : file_(std::move(file)) {
    const std::size_t nv = file_.vendors.size();
    const std::size_t nd = file_.devices.size();
    vendorRecords_ = std::make_unique<ZmVendorRecord[]>(nv + 1);
    deviceRecords_ = std::make_unique<ZmDeviceRecord[]>(nd + 1);
    for (std::size_t i = 0; i < nv; ++i) {
        ZmVendorRecord& r = vendorRecords_[i];
        putField(r.Code, sizeof r.Code, file_.vendors[i].code);
        putField(r.Name, sizeof r.Name, file_.vendors[i].name);
        putField(r.Web, sizeof r.Web, file_.vendors[i].web);
        r.Next = i + 1 < nv ? &vendorRecords_[i + 1] : nullptr;
    }
    for (std::size_t i = 0; i < nd; ++i) {
        ZmDeviceRecord& r = deviceRecords_[i];
        r.Descriptor = file_.devices[i].descriptor;
        r.Next = i + 1 < nd ? &deviceRecords_[i + 1] : nullptr;
        byKey_.emplace(file_.devices[i].key(), i);
    }
}

std::shared_ptr<const Catalogue> Catalogue::load(const std::filesystem::path& path,
                                                 std::string& error, Content content) {
    std::string why;
    const auto text = readTextFile(path, kMaxCatalogueBytes, &why);
    if (!text) {
        std::error_code ec;
        error = std::filesystem::exists(path, ec)
                    ? "Could not read catalogue file: " + why
                    : "Could not open catalogue file '" + path.string() + "'.";
        return nullptr;
    }
    CatalogueFile parsed = parseCatalogue(*text);
    if (content == Content::VendorsOnly) {
        parsed.devices.clear();
        parsed.adapters.clear();
        parsed.deviceErrorLine = 0;
        parsed.deviceError.clear();
    }
    return std::make_shared<const Catalogue>(std::move(parsed));
}

int Catalogue::vendorCount() const {
    return file_.vendorErrorLine != 0 ? -file_.vendorErrorLine
                                      : static_cast<int>(file_.vendors.size());
}

int Catalogue::deviceCount() const {
    return file_.deviceErrorLine != 0 ? -file_.deviceErrorLine
                                      : static_cast<int>(file_.devices.size());
}

ZmVendorRecord* Catalogue::vendorHead() const {
    return file_.vendors.empty() ? nullptr : &vendorRecords_[0];
}

ZmDeviceRecord* Catalogue::deviceHead() const {
    return file_.devices.empty() ? nullptr : &deviceRecords_[0];
}

const CatalogueVendor* Catalogue::vendor(std::string_view code) const {
    for (const CatalogueVendor& v : file_.vendors) {
        if (v.code == code) {
            return &v;
        }
    }
    return nullptr;
}

const CatalogueDevice* Catalogue::device(std::string_view key) const {
    const auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : &file_.devices[it->second];
}

const CatalogueAdapter* Catalogue::adapter(std::string_view package) const {
    for (const CatalogueAdapter& a : file_.adapters) {
        if (a.package == package) {
            return &a;
        }
    }
    return nullptr;
}

} // namespace hwsim
