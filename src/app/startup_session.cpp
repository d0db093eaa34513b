#include "app/startup_session.h"

#include "app/device_preparation.h"
#include "operations/library_startup.h"

#include <QDir>

#include <algorithm>
#include <array>
#include <cstring>

namespace zelmo {

namespace {

QString fieldText(const char* field, std::size_t width) {
    return QString::fromLatin1(field, static_cast<qsizetype>(::strnlen(field, width)));
}

// "major.sub.sub.sub": the major number in decimal, the three sub-fields as two hex digits.
QString version(const std::uint8_t (&v)[4]) {
    return QString::asprintf("%d.%02X.%02X.%02X", v[0], v[1], v[2], v[3]);
}

const char16_t* wide(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

} // namespace

CStartupSession::CStartupSession(StartupHost host) : host_(std::move(host)) {}

CStartupSession::~CStartupSession() {
    Close();
}

void CStartupSession::log(LogKind kind, const QString& text) const {
    if (host_.Log) {
        host_.Log(kind, text);
    }
}

void CStartupSession::show(const QString& text) const {
    if (host_.ShowMessage) {
        host_.ShowMessage(text);
    }
}

Result CStartupSession::StartLibraries(const QString& appDir, std::uint8_t debugMode) {
    Close();
    appDir_ = appDir.endsWith(QLatin1Char('/')) ? appDir : appDir + QLatin1Char('/');
    const LibraryStartup startup = zelmo::StartLibraries(appDir_, debugMode, hardware_, remote_);
    for (const QString& line : startup.Log) {
        log(lkPlain, line);
    }
    if (startup.Failed) {
        hardware_.release();
        remote_.release();
        return Result::failure(startup.ErrorBoxText);
    }
    started_ = true;
    return Result::success();
}

bool CStartupSession::FindProgrammers(int forcedPort) {
    if (!started_) {
        return false;
    }
    const HardwareEntryPoints& api = hardware_.api();
    programmers_.clear();
    assignment_.clear();
    gangCapable_ = false;

    std::vector<std::int32_t> ports;
    if (forcedPort >= 0) {
        log(lkPlain, QStringLiteral("Opening programmers at USB#%1.").arg(forcedPort));
        ports.push_back(forcedPort);
    } else {
        log(lkPlain, QStringLiteral("Searching for hardware."));
        std::array<ZmPortListEntry, ZM_MAX_PROGRAMMERS> list{};
        const std::int32_t count =
            std::clamp<std::int32_t>(api.ZmDeviceCount(list.data()), 0, ZM_MAX_PROGRAMMERS);
        for (std::int32_t i = 0; i < count; ++i) {
            ports.push_back(list[static_cast<std::size_t>(i)].Port);
        }
    }
    if (ports.empty()) {
        log(lkPlain, QStringLiteral("No programmers found. Entering demo mode."));
        return true;
    }
    const auto count = static_cast<int>(ports.size());
    log(lkPlain, count == 1 ? QStringLiteral("Programmer found. Opening.")
                            : QStringLiteral("%1 programmers found.").arg(count));
    programmers_.assign(ports.size(), ProgrammerInfo{});
    for (std::size_t i = 0; i < ports.size(); ++i) {
        programmers_[i].Port = ports[i];
    }

    bool mismatch = false;
    for (std::size_t i = 0; i < programmers_.size(); ++i) {
        ProgrammerInfo& p = programmers_[i];
        if (api.ZmOpen(p.Port) == 0) {
            for (const QString& text : LibraryMessages(api, static_cast<std::int32_t>(i))) {
                log(lkPlain, text);
            }
            return false;
        }
        opened_.push_back(p.Port);
        if (api.ZmGetProgrammerType(p.Port, &p.Model, p.ModelName, p.HardwareVersion,
                                    p.SerialNumber) == 0) {
            show(QStringLiteral("Initialization error.\nCould not read device "
                                "signature.\nApplication terminated."));
            return false;
        }
        const QString name = fieldText(p.ModelName, sizeof p.ModelName);
        const QString hardware = fieldText(p.HardwareVersion, sizeof p.HardwareVersion);
        const QString serial = fieldText(p.SerialNumber, sizeof p.SerialNumber);
        log(lkDetail,
            count == 1
                ? QStringLiteral("%1, version %2, serial number %3.").arg(name, hardware, serial)
                : QStringLiteral("%1) %2,  version %3, serial number %4.")
                      .arg(i + 1)
                      .arg(name, hardware, serial));
        api.ZmSetHardwareType(p.Port, p.Model);
        const QString image = appDir_ + QStringLiteral("Lib/cpu.lib");
        std::uint8_t available[4] = {};
        std::uint8_t current[4] = {};
        if (api.ZmCheckFirmware(p.Port, wide(image), available, current) == 0) {
            show(QStringLiteral("Could not check firmware.\nApplication terminated."));
            return false;
        }
        if (std::equal(std::begin(available), std::end(available), std::begin(current))) {
            log(lkSubDetail, QStringLiteral("Firmware version: %1.").arg(version(current)));
        } else {
            log(lkWarningSubDetail, QStringLiteral("Firmware version mismatch."));
            log(lkSubDetail, QStringLiteral("Current version: %1.").arg(version(current)));
            log(lkSubDetail, QStringLiteral("New version:     %1.").arg(version(available)));
            mismatch = true;
        }
        std::copy(std::begin(current), std::end(current), p.Firmware);
        log(lkOpenSubDetail, QStringLiteral("Initializing hardware..."));
        log(lkPlain,
            api.ZmInitHardware(p.Port, 0) != 0 ? QStringLiteral(" OK.") : QStringLiteral(" Fail."));
    }

    if (mismatch) {
        // After an update the programmers must be started again, and so must the application.
        updateFirmware();
        log(lkPlain, QStringLiteral("Closing application."));
        return false;
    }

    if (programmers_.size() >= 2) {
        log(lkPlain, QStringLiteral("Sorting programmers by serial number."));
        for (std::size_t i = 0; i < programmers_.size(); ++i) {
            for (std::size_t j = i + 1; j < programmers_.size(); ++j) {
                if (std::memcmp(programmers_[j].SerialNumber, programmers_[i].SerialNumber,
                                sizeof programmers_[i].SerialNumber) < 0) {
                    std::swap(programmers_[i], programmers_[j]);
                }
            }
            assignment_[static_cast<std::uint8_t>(programmers_[i].Port)] = -1;
        }
    }
    gangCapable_ =
        std::all_of(programmers_.begin(), programmers_.end(),
                    [&](const ProgrammerInfo& p) { return p.Model == programmers_[0].Model; });
    log(lkPlain, gangCapable_
                     ? QStringLiteral("Entering 'Gang' mode.")
                     : QStringLiteral("'Gang' mode not possible. Entering 'Single' mode."));
    gangCapable_ = gangCapable_ && programmers_.size() >= 2;
    return true;
}

bool CStartupSession::updateFirmware() {
    if (!host_.Confirm ||
        !host_.Confirm(QStringLiteral("Firmware version mismatch.\nPress OK to "
                                      "start firmware update\nor Cancel to quit."))) {
        return false;
    }
    const HardwareEntryPoints& api = hardware_.api();
    log(lkSection, QStringLiteral("Starting firmware update procedure."));
    const QString image = appDir_ + QStringLiteral("Lib/cpu.lib");
    for (const ProgrammerInfo& p : programmers_) {
        if (api.ZmLoadFirmwareFile(p.Port, wide(image)) == 0) {
            show(QStringLiteral("Firmware load error.\nRestart the programmer and try again."));
            return false;
        }
    }
    const QString updater = appDir_ + QStringLiteral("Lib/cpuupd.lib");
    for (const ProgrammerInfo& p : programmers_) {
        if (api.ZmUpdateFirmware(p.Port, wide(updater)) == 0) {
            show(QStringLiteral("Firmware update error.\nRestart the programmer and try again."));
            return false;
        }
    }
    return true;
}

CatalogueLoadResult CStartupSession::LoadCatalogue() {
    log(lkSection, QStringLiteral("Reading configuration files."));
    if (!started_) {
        CatalogueLoadResult result;
        result.message = QStringLiteral("Could not read vendors and devices file (Error code 0).");
        return result;
    }
    const HardwareEntryPoints& api = hardware_.api();
    CatalogueLoadResult loaded =
        zelmo::LoadCatalogue({api.ZmGetVendorsDevices, api.ZmGetNoOfVendors, api.ZmGetNoOfDevices},
                             CataloguePath(appDir_), catalogue_);
    for (const QString& line : loaded.Messages) {
        log(lkDetail, line);
    }
    return loaded;
}

void CStartupSession::Close() {
    if (started_) {
        for (std::int32_t port : opened_) {
            hardware_.api().ZmClose(port);
        }
        hardware_.api().ZmFree();
    }
    opened_.clear();
    started_ = false;
    catalogue_ = CCatalogue{};
    hardware_.release();
    remote_.release();
}

} // namespace zelmo
