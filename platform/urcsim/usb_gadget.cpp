#include "platform/urcsim/usb_gadget.h"

#include "platform/urcwire/usb_frames.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace urcsim {

namespace {

namespace usb = urcwire::usb;

constexpr const char* kFunction = "functions/hid.usb0";
constexpr const char* kConfig = "configs/c.1";
constexpr const char* kEnglish = "0x409";

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// configfs takes an attribute in one write.
int writeBytes(const std::string& path, const void* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const ssize_t n = ::write(fd, data, size);
    const int error = n < 0 ? errno : (static_cast<std::size_t>(n) == size ? 0 : EIO);
    ::close(fd);
    return error;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}

bool configfsMounted(const GadgetPaths& paths) {
    std::istringstream mounts(readText(paths.mounts));
    std::string device, point, type, rest;
    while (mounts >> device >> point >> type && std::getline(mounts, rest))
        if (type == "configfs" && point == paths.configfs)
            return true;
    return false;
}

std::string frameworkProblem(const GadgetPaths& paths) {
    if (isDirectory(paths.configfs + "/usb_gadget"))
        return {};
    if (!configfsMounted(paths))
        return "configfs is not mounted on " + paths.configfs + " (mount -t configfs none " +
               paths.configfs + ")";
    return "the kernel's USB gadget framework is not loaded: no " + paths.configfs +
           "/usb_gadget (modprobe libcomposite)";
}

// Removes what `remove` names and keeps the first failure.
void removeKeepingFirst(const std::string& path, bool isLinkEntry, std::string& problem) {
    const int status = isLinkEntry ? ::unlink(path.c_str()) : ::rmdir(path.c_str());
    if (status != 0 && errno != ENOENT && problem.empty())
        problem = "cannot remove " + path + ": " + std::strerror(errno);
}

void removeSubfolders(const std::string& folder, std::string& problem) {
    for (const auto& name : entries(folder))
        if (isDirectory(folder + "/" + name))
            removeKeepingFirst(folder + "/" + name, false, problem);
}

void removeLinks(const std::string& folder, std::string& problem) {
    for (const auto& name : entries(folder))
        if (isLink(folder + "/" + name))
            removeKeepingFirst(folder + "/" + name, true, problem);
}

} // namespace

std::string serialForImage(std::string_view imageRealPath) {
    // FNV-1a: the same path gives the same serial on every machine and run.
    uint64_t hash = 0xcbf29ce484222325ULL;
    for (unsigned char c : imageRealPath) {
        hash ^= c;
        hash *= 0x100000001b3ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
    return text;
}

std::string serialProblem(std::string_view serial) {
    if (serial.empty())
        return "the serial number is empty";
    if (serial.size() > kMaxSerialLength)
        return "the serial number has " + std::to_string(serial.size()) + " characters, at most " +
               std::to_string(kMaxSerialLength);
    for (char c : serial)
        if (c < 0x21 || c > 0x7E)
            return "the serial number may hold only printable ASCII characters without spaces";
    return {};
}

UdcChoice chooseUdc(std::vector<std::string> available, std::string_view wanted) {
    std::sort(available.begin(), available.end());
    if (available.empty())
        return {{},
                "no USB device controller in /sys/class/udc (a board's OTG port with its "
                "driver, or dummy_hcd for a test)"};
    if (wanted.empty())
        return {available.front(), {}};
    if (std::find(available.begin(), available.end(), wanted) != available.end())
        return {std::string(wanted), {}};
    std::string names;
    for (const auto& n : available)
        names += (names.empty() ? "" : ", ") + n;
    return {{}, "no USB device controller " + std::string(wanted) + " (there are: " + names + ")"};
}

std::optional<DeviceNumbers> parseDeviceNumbers(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size() ||
        text.size() > 21)
        return std::nullopt;
    auto number = [](std::string_view digits) -> std::optional<unsigned> {
        unsigned long value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (value > 0xFFFFFFFFUL)
                return std::nullopt;
        }
        return static_cast<unsigned>(value);
    };
    const auto major = number(text.substr(0, colon));
    const auto minor = number(text.substr(colon + 1));
    if (!major || !minor)
        return std::nullopt;
    return DeviceNumbers{*major, *minor};
}

std::string findHidgName(const std::string& hidgClass, DeviceNumbers numbers) {
    for (const auto& name : entries(hidgClass))
        if (parseDeviceNumbers(readText(hidgClass + "/" + name + "/dev")) == numbers)
            return name;
    return {};
}

std::string configfsProblem(int error, std::string_view what) {
    const std::string prefix = "cannot " + std::string(what) + ": ";
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return prefix + "making a USB gadget needs root (configfs)";
    case EBUSY:
        return prefix + "the USB device controller is in use by another gadget";
    case ENODEV:
        return prefix + "no such USB device controller";
    default:
        return prefix + std::strerror(error);
    }
}

bool GadgetLock::acquire(const std::string& lockPath, const std::string& gadgetName,
                         std::string& error) {
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) {
        error = configfsProblem(errno, "open the lock file " + lockPath);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error =
            "another urc-sim serves the USB gadget " + gadgetName + " (it holds " + lockPath + ")";
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    return true;
}

GadgetLock::~GadgetLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::string removeGadgetFolder(const std::string& folder) {
    if (!exists(folder))
        return {};
    // Unbinding first: configfs keeps a bound gadget's functions.
    const char unbindText = '\n';
    writeBytes(folder + "/UDC", &unbindText, 1);
    std::string problem;
    for (const auto& config : entries(folder + "/configs")) {
        const std::string path = folder + "/configs/" + config;
        removeLinks(path, problem);
        removeSubfolders(path + "/strings", problem);
        removeKeepingFirst(path, false, problem);
    }
    removeLinks(folder + "/os_desc", problem);
    removeSubfolders(folder + "/functions", problem);
    removeSubfolders(folder + "/strings", problem);
    removeKeepingFirst(folder, false, problem);
    return problem;
}

UsbGadget::UsbGadget(GadgetSettings settings, std::string udc)
    : settings_(std::move(settings)), udc_(std::move(udc)),
      folder_(settings_.paths.configfs + "/usb_gadget/" + settings_.name) {}

std::unique_ptr<UsbGadget> UsbGadget::create(const GadgetSettings& settings, std::string& error) {
    if (auto problem = serialProblem(settings.serial); !problem.empty()) {
        error = problem;
        return nullptr;
    }
    if (error = frameworkProblem(settings.paths); !error.empty())
        return nullptr;
    const auto udc = chooseUdc(entries(settings.paths.udcClass), settings.udc);
    if (!udc.error.empty()) {
        error = udc.error;
        return nullptr;
    }
    std::unique_ptr<UsbGadget> gadget(new UsbGadget(settings, udc.name));
    const std::string lockPath = settings.paths.lockDir + "/" + settings.name + ".gadget.lock";
    if (!gadget->lock_.acquire(lockPath, settings.name, error))
        return nullptr; // another server's gadget: not ours to remove
    gadget->owned_ = true;
    if (exists(gadget->folder_)) {
        // The lock is free, so the server that made this gadget is gone.
        if (auto problem = removeGadgetFolder(gadget->folder_); !problem.empty()) {
            error = "cannot remove the gadget a stopped server left behind: " + problem;
            return nullptr;
        }
        std::cerr << "urc-sim: removed the USB gadget " << gadget->folder_
                  << " a stopped server left behind" << std::endl;
    }
    error = gadget->build();
    if (error.empty())
        error = gadget->bind();
    if (!error.empty())
        return nullptr; // the destructor removes what was made
    return gadget;
}

std::string UsbGadget::build() {
    const std::string& f = folder_;
    const std::string function = f + "/" + kFunction;
    const std::string config = f + "/" + kConfig;
    for (const std::string& folder :
         {f, f + "/strings/" + kEnglish, config, config + "/strings/" + kEnglish})
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
            return configfsProblem(errno, "create " + folder);
    if (::mkdir(function.c_str(), 0755) != 0 && errno != EEXIST)
        return errno == ENOENT
                   ? "the kernel's HID gadget function is not loaded (modprobe usb_f_hid)"
                   : configfsProblem(errno, "create " + function);
    const auto descriptor = usb::reportDescriptor();
    const std::pair<std::string, std::string> attributes[] = {
        {f + "/idVendor", hex4(usb::kVendorId)},
        {f + "/idProduct", hex4(usb::kProductId)},
        {f + "/bcdUSB", hex4(0x0200)},
        {f + "/bcdDevice", hex4(kDeviceRelease)},
        {f + "/strings/0x409/manufacturer", usb::kManufacturer},
        {f + "/strings/0x409/product", usb::kProduct},
        {f + "/strings/0x409/serialnumber", settings_.serial},
        {config + "/MaxPower", std::to_string(kMaxPowerMa)},
        {config + "/strings/0x409/configuration", "URC"},
        {function + "/protocol", "0"},
        {function + "/subclass", "0"},
        {function + "/report_length", std::to_string(usb::kReportSize)},
        {function + "/report_desc",
         std::string(reinterpret_cast<const char*>(descriptor.data()), descriptor.size())},
    };
    for (const auto& [path, value] : attributes)
        if (int e = writeBytes(path, value.data(), value.size()))
            return configfsProblem(e, "write " + path);
    // Older kernels have no such attribute and always give the function an
    // interrupt OUT endpoint, which is what the host's output reports need.
    if (exists(function + "/no_out_endpoint"))
        if (int e = writeBytes(function + "/no_out_endpoint", "0", 1))
            return configfsProblem(e, "write " + function + "/no_out_endpoint");
    const std::string link = config + "/hid.usb0";
    if (::symlink(function.c_str(), link.c_str()) != 0 && errno != EEXIST)
        return configfsProblem(errno, "link " + link);
    return {};
}

std::string UsbGadget::bind() {
    if (bound_)
        return {};
    if (int e = writeBytes(folder_ + "/UDC", udc_.data(), udc_.size()))
        return configfsProblem(e, "bind the gadget to the USB device controller " + udc_);
    bound_ = true;
    return {};
}

std::string UsbGadget::unbind() {
    if (!bound_)
        return {};
    const char empty = '\n';
    if (int e = writeBytes(folder_ + "/UDC", &empty, 1))
        return configfsProblem(e, "unbind the gadget from " + udc_);
    bound_ = false;
    return {};
}

std::string UsbGadget::hidgPath(std::string& error) const {
    const std::string devFile = folder_ + "/" + kFunction + "/dev";
    const auto numbers = parseDeviceNumbers(readText(devFile));
    if (!numbers) {
        error = "cannot read the HID function's device numbers from " + devFile;
        return {};
    }
    const auto matches = [&](const std::string& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
               info.st_rdev == makedev(numbers->major, numbers->minor);
    };
    if (auto name = findHidgName(settings_.paths.hidgClass, *numbers); !name.empty())
        if (matches(settings_.paths.dev + "/" + name))
            return settings_.paths.dev + "/" + name;
    for (const auto& name : entries(settings_.paths.dev))
        if (matches(settings_.paths.dev + "/" + name))
            return settings_.paths.dev + "/" + name;
    error = "no device node for the HID function " + std::to_string(numbers->major) + ":" +
            std::to_string(numbers->minor) + " in " + settings_.paths.dev;
    return {};
}

UsbGadget::~UsbGadget() {
    if (!owned_)
        return;
    if (auto problem = removeGadgetFolder(folder_); !problem.empty())
        std::cerr << "urc-sim: " << problem << std::endl;
}

} // namespace urcsim
