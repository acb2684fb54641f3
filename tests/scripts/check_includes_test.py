#!/usr/bin/env python3
# The include check on small trees of its own: what it must refuse and what it must let pass.
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "check-includes")

# Every row is a tree (path -> text) and whether the check passes it.
BASE = {
    "app/core/Core.h": "#pragma once\n",
    "app/shell/Shell.h": '#pragma once\n#include "app/core/Core.h"\n',
    "platform/system/System.h": "#pragma once\n#include <QString>\n",
    "common_services/include/Api.h": "#pragma once\n",
    "CMakeLists.txt": "target_include_directories(platform PUBLIC ${CMAKE_SOURCE_DIR}/common_services/include)\n",
    "tests/app/core_test.cpp": "TEST(Core, Waits) { ASSERT_TRUE(QTest::qWaitFor([] { return true; }, 30000)); }\n",
}
# The prefix of Qt's test macros, kept apart so that no line of this file reads as a use of one.
QT = "Q"

ROWS = [
    ("includes that point down pass", {}, True),
    ("a full path up is refused", {"platform/system/Up.h": '#include "app/core/Core.h"\n'}, False),
    ("a bare name found through an include folder of the CMake files is refused",
     {"platform/system/Bare.h": '#include "Api.h"\n'}, False),
    ("a bare name beside the including file passes", {"app/core/Near.h": '#include "Core.h"\n'}, True),
    ("a folder beside its own on the same floor is refused",
     {"app/canvas/A.h": "#pragma once\n", "app/print/B.h": '#include "app/canvas/A.h"\n'}, False),
    ("a test including a header of its own floor and below passes",
     {"tests/app/core/c_test.cpp": '#include "app/core/Core.h"\n'}, True),
    ("a test including a header of a floor above its folder's is refused",
     {"tests/app/core/up_test.cpp": '#include "app/shell/Shell.h"\n'}, False),
    ("a test header reaching a test folder above its own is refused",
     {"tests/app/shell/s.h": "#pragma once\n", "tests/app/core/fixture.h": '#include "../shell/s.h"\n'}, False),
    ("a test of the whole program may include any floor",
     {"tests/app/whole_test.cpp": '#include "app/shell/Shell.h"\n'}, True),
    ("Qt's VERIFY in a test is refused", {"tests/app/v_test.cpp": "TEST(A, B) { " + QT + "VERIFY(true); }\n"}, False),
    ("Qt's TRY_COMPARE_WITH_TIMEOUT in a test header is refused",
     {"tests/app/support.h": "inline void W() { " + QT + "TRY_COMPARE_WITH_TIMEOUT(a, 1, 9); }\n"}, False),
]


def run(why, extra, passes):
    with tempfile.TemporaryDirectory() as root:
        for path, text in {**BASE, **extra}.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)) or root, exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        result = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
    if (result.returncode == 0) != passes:
        print(f"FAILED: {why}: exit {result.returncode}\n{result.stdout}{result.stderr}")
        return False
    return True


sys.exit(0 if all([run(*row) for row in ROWS]) else 1)
