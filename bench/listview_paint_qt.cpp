// List view speed over the Qt driver (see listview_bench.h), drawn off-screen unless
// QT_QPA_PLATFORM asks for a display (the application and the pump are the test support's).

#include "bench/listview_bench.h"

int main(int argc, char** argv) {
    return listview_bench_main(argc, argv);
}
