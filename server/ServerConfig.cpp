#include "server/ServerConfig.h"

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#ifndef PELLORA_VERSION
#define PELLORA_VERSION "unknown"
#endif

namespace {

constexpr size_t kMaxConfigBytes = 64 * 1024;

// One setting: its name (the option without "--"), its range and where it goes.
struct Setting {
    const char* name;
    const char* value;   // what the help calls its value
    const char* help;
    uint64_t low;
    uint64_t high;
    std::function<void(ServerConfig&, uint64_t)> number;
    std::function<bool(ServerConfig&, const std::string&)> text;
};

bool SetBind(ServerConfig& config, const std::string& value) {
    // Checked for its form here; whether it is this machine's is the service's to find.
    if (value.empty() || value.size() > 15 || value.find_first_not_of("0123456789.") != std::string::npos) {
        return false;
    }
    config.lobby.bind = value;
    return true;
}

const std::vector<Setting>& Settings() {
    static const std::vector<Setting> settings = {
        {"bind", "ADDRESS", "listen on this IPv4 address only (default: all)", 0, 0, nullptr, SetBind},
        {"port", "N", "the UDP port (default: 27960, the game's; 0: any free one, told in the log)", 0, 65535,
         [](ServerConfig& c, uint64_t v) { c.lobby.port = static_cast<uint16_t>(v); }, nullptr},
        {"max-peers", "N", "connections at once (default: 4000)", 2, 4095,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.maxPeers = v; }, nullptr},
        {"max-peers-per-address", "N", "connections from one address (default: 32)", 1, 4095,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.maxPeersPerAddress = v; }, nullptr},
        {"max-matches", "N", "open matches listed at once (default: 2000)", 1, 4096,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.maxListings = v; }, nullptr},
        {"max-matches-per-address", "N", "open matches from one address (default: 4)", 1, 4096,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.maxListingsPerAddress = v; }, nullptr},
        {"announces-per-minute", "N", "matches one address may announce a minute (default: 20)", 1, 100000,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.announcesPerMinute = static_cast<uint32_t>(v); }, nullptr},
        {"messages-per-second", "N", "lobby messages one peer may send a second (default: 4)", 1, 10000,
         [](ServerConfig& c, uint64_t v) {
             c.lobby.limits.messagesPerSecond = static_cast<uint32_t>(v);
             c.lobby.limits.messageBurst = static_cast<uint32_t>(2 * v);
         },
         nullptr},
        {"relay-bytes-per-second", "N", "match traffic one relayed side may send a second (default: 32768)", 1024,
         16777216,
         [](ServerConfig& c, uint64_t v) {
             c.lobby.limits.relayBytesPerSecond = static_cast<uint32_t>(v);
             c.lobby.limits.relayBurstBytes = static_cast<uint32_t>(2 * v);
             c.lobby.limits.relayBacklogBytes = 2 * v;
         },
         nullptr},
        {"greet-seconds", "N", "time a new peer has to say what it wants (default: 5)", 1, 3600,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.greetMs = v * 1000; }, nullptr},
        {"idle-seconds", "N", "time a joiner may look at the list without asking again (default: 30)", 1, 86400,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.idleMs = v * 1000; }, nullptr},
        {"silence-seconds", "N", "time a peer may be silent before it has gone (default: 10)", 1, 600,
         [](ServerConfig& c, uint64_t v) { c.lobby.limits.silenceMs = v * 1000; }, nullptr},
    };
    return settings;
}

const Setting* FindSetting(const std::string& name) {
    for (const Setting& setting : Settings()) {
        if (name == setting.name) {
            return &setting;
        }
    }
    return nullptr;
}

bool Apply(const Setting& setting, const std::string& value, ServerConfig& config, std::string& error) {
    if (setting.text) {
        if (!setting.text(config, value)) {
            error = std::string(setting.name) + ": not a numeric IPv4 address: " + value.substr(0, 64);
            return false;
        }
        return true;
    }
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos) {
        error = std::string(setting.name) + ": not a whole number: " + value.substr(0, 64);
        return false;
    }
    const uint64_t number = std::stoull(value);
    if (number < setting.low || number > setting.high) {
        error = std::string(setting.name) + ": " + value + " is not from " + std::to_string(setting.low) + " to " +
                std::to_string(setting.high);
        return false;
    }
    setting.number(config, number);
    return true;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ReadConfigFile(const std::string& path, ServerConfig& config, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the configuration file " + path;
        return false;
    }
    std::string text(kMaxConfigBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    if (text.size() > kMaxConfigBytes) {
        error = "the configuration file " + path + " is larger than 64 KB";
        return false;
    }
    if (!ApplyServerConfigText(text, config, error)) {
        error = path + ", " + error;
        return false;
    }
    config.configFile = path;
    return true;
}

}  // namespace

bool ApplyServerConfigText(const std::string& text, ServerConfig& config, std::string& error) {
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::string content = Trimmed(line.substr(0, line.find('#')));
        if (content.empty()) {
            continue;
        }
        const size_t equals = content.find('=');
        if (equals == std::string::npos) {
            error = where + "expected \"name = value\"";
            return false;
        }
        const std::string name = Trimmed(content.substr(0, equals));
        const Setting* setting = FindSetting(name);
        if (setting == nullptr) {
            error = where + "unknown setting " + name.substr(0, 64);
            return false;
        }
        if (!Apply(*setting, Trimmed(content.substr(equals + 1)), config, error)) {
            error = where + error;
            return false;
        }
    }
    return true;
}

ServerCommand ParseServerCommandLine(int argc, const char* const* argv) {
    ServerCommand command;
    // The file first, wherever --config stands, so that the options win over it.
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--config") == 0 && !ReadConfigFile(argv[i + 1], command.config, command.error)) {
            command.action = EServerAction::Bad;
            return command;
        }
    }
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            command.action = EServerAction::ShowHelp;
            return command;
        }
        if (option == "--version") {
            command.action = EServerAction::ShowVersion;
            return command;
        }
        const Setting* setting = option.rfind("--", 0) == 0 ? FindSetting(option.substr(2)) : nullptr;
        if (option != "--config" && setting == nullptr) {
            command.action = EServerAction::Bad;
            command.error = "unknown option " + option.substr(0, 64);
            return command;
        }
        if (i + 1 >= argc) {
            command.action = EServerAction::Bad;
            command.error = option + " needs a value";
            return command;
        }
        ++i;
        if (setting != nullptr && !Apply(*setting, argv[i], command.config, command.error)) {
            command.action = EServerAction::Bad;
            return command;
        }
    }
    return command;
}

std::string ServerUsageText() {
    std::string text =
        "Usage: pellora-server [OPTION]...\n"
        "Lists Pellora matches, relays matches between players who cannot reach each other.\n"
        "Runs in the foreground without a display; logs to stderr. Stops on SIGINT or SIGTERM.\n"
        "\n"
        "  --config FILE                   read settings from FILE (\"name = value\" lines; the\n"
        "                                  options below, without \"--\"); options win over it\n";
    for (const Setting& setting : Settings()) {
        std::string left = std::string("  --") + setting.name + " " + setting.value;
        left.resize(std::max<size_t>(left.size() + 1, 34), ' ');
        text += left + setting.help + "\n";
    }
    text +=
        "  --help                          show this help and exit\n"
        "  --version                       show the version and exit\n";
    return text;
}

std::string ServerVersionText() { return std::string("pellora-server ") + PELLORA_VERSION; }
