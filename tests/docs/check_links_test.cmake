# The link check against a small tree (fixture/) that holds each kind of link it must
# refuse and each it must let through: it fails, and lists exactly the refused ones.
# Run: cmake -DCHECK=<check_links.cmake> -DFIXTURE=<fixture folder> -P check_links_test.cmake
cmake_minimum_required(VERSION 3.25)
set(expected
    "README.md: ../../actions/workflows/gone.yml/badge.svg names no workflow in .github/workflows"
    "README.md: docs/missing.md names no file"
    "README.md: docs/missing.png names no file"
    "README.md: #nowhere names no heading"
    "README.md: docs/GUIDE.md#nowhere names no heading"
    "README.md: ../outside.md leaves the repository"
    "README.md: /docs/GUIDE.md is absolute, links into the tree are relative"
    "README.md: code.txt#main names no heading"
    "README.md: missing.gif names no file"
    "README.md: docs/missing-reference.md names no file"
    "docs/GUIDE.md: ../../actions/workflows/ci.yml leaves the repository (a badge link works from the root only)")

include(${CMAKE_CURRENT_LIST_DIR}/../expect_refused.cmake)
expect_refused("(README|docs/GUIDE)\\.md: [^\n]+" "${expected}" "a tree with broken links"
               ${CMAKE_COMMAND} -DROOT=${FIXTURE} -DFILES=README.md,docs/GUIDE.md -P ${CHECK})
