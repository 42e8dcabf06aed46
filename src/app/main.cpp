#include <string>
#include <vector>

#include "CKestrinApp.h"
#include "shell/FileManagerMenus.h"
#include "shell/ShellDialogs.h"

int main(int argc, char** argv) {
    // A file manager may hand the selection over as file:// URIs.
    std::vector<std::string> arguments = tolvane::ArgumentsWithUrisAsPaths(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    return tolvane::CKestrinApp::Run(static_cast<int>(arguments.size()), pointers.data(),
                                     tolvane::ShellDialogs());
}
