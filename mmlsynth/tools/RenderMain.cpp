// Entry of tonwerkel-render.
#include <cstdio>
#include <string>
#include <vector>

#include "RenderTool.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return tonwerkel::RunRenderTool(args, stderr);
}
