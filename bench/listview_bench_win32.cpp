// List view speed over the Win32 driver (see listview_bench.h).

#include "tests/support/gui_pump.h"

#include "bench/listview_bench.h"

int main(int argc, char** argv) {
    return listview_bench_main(argc, argv);
}
