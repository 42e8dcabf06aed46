#include "CKestrinApp.h"

int main(int argc, char** argv) {
    return tolvane::CKestrinApp::Run(argc, argv);
}
