# The layer check against a small tree (fixture/) that holds each kind of include it
# must refuse and each it must let through: it fails, and lists exactly the refused ones.
# Run: cmake -DCHECK=<check_layers.cmake> -DFIXTURE=<fixture folder> -P check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)
set(expected
    "win/handle.h: includes store/table.h of the higher layer store"
    "store/table.h: includes the test double win32_registry_api.h"
    "desktop/scene.cpp: includes ui/dialog.h of the higher layer ui"
    "ui/dialog.rc: includes the test double fakes/desktop/sim.h"
    "ui/dialog.rc: includes app/globals.h of the higher layer app"
    "app/main.cpp: includes tools/driver/driver.h, which is not the product"
    "fakes/desktop/sim.h: includes tests/e2e/harness/app.h, which is not the product")

include(${CMAKE_CURRENT_LIST_DIR}/../expect_refused.cmake)
expect_refused("[a-z/_]+\\.[a-z]+: includes [^\n]+" "${expected}" "a tree with wrong includes"
               ${CMAKE_COMMAND} -DROOT=${FIXTURE} -P ${CHECK})
