#include "TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace tolvane::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tolvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path TempDir::File(const std::string& relative, const std::string& content) const {
    const fs::path path = path_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

fs::path TempDir::Folder(const std::string& relative) const {
    const fs::path path = path_ / relative;
    fs::create_directories(path);
    return path;
}

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const fs::path& workingDir, const std::vector<std::string>& extraEnv) {
    TempDir capture;
    const std::string outPath = (capture.Path() / "out").string();
    const std::string errPath = (capture.Path() / "err").string();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (!workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // An entry of `extraEnv` replaces the inherited variable of the same name.
    auto overridden = [&](const char* entry) {
        const std::string_view variable(entry);
        for (const std::string& extra : extraEnv) {
            const size_t eq = extra.find('=');
            if (variable.substr(0, variable.find('=') + 1) ==
                std::string_view(extra).substr(0, eq + 1))
                return true;
        }
        return false;
    };
    std::vector<char*> envp;
    for (char** e = environ; *e != nullptr; ++e) {
        if (!overridden(*e))
            envp.push_back(*e);
    }
    for (const std::string& entry : extraEnv)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + program);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);

    ProcessResult result;
    result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    return result;
}

std::string CaseName(std::string_view label) {
    std::string name;
    bool upper = true;
    for (char c : label) {
        const bool alnum =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            upper = true;
            continue;
        }
        name.push_back(upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
        upper = false;
    }
    return name.empty() ? "Unnamed" : name;
}

}  // namespace tolvane::test
