#!/usr/bin/env python3
"""tools/arx_header.py against headers shaped like the public one: what counts
as an export, and what the generator and the export checks derive from it."""
from __future__ import annotations

import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "tools"))
import arx_header  # noqa: E402

HEADER = """
/* ARX_API int In_A_Comment(void); is no export */
#if defined(ARX_STATIC)
#  define ARX_API
#else
#  define ARX_API __attribute__((visibility("default")))
#endif
/* ------------------------------------------------------------------ types */
typedef int (*ArxCallbackLike)(int);
/* ------------------------------------------------------------------ library */
ARX_API int Arx_API_Init(int model, void (*callback)(int code));
// ARX_API int In_A_Line_Comment(void);
ARX_API const char* Arx_Arm_Model_Name(int model);
ARX_API int Arx_Arm_Model_From_Name(const char* name,
                                    int* model);
/* ------------------------------------------------------------------ kinematics */
ARX_API Pose inverse_kinematics_like(const float* joint_in, Pose target, float joint_out[7]);
ARX_API void setAngle(float x, float y, float z);
ARX_API int Get_Install_Pose(SOCKHANDLE handle, float* x, float* y, float* z);
ARX_API char* API_Version(void);
/* BEGIN Arx_Service: an older header carried the class here */
class ARX_API Arx_Service { public: int Service_Arx_API_Init(int model); };
"""


class ReadsTheExports(unittest.TestCase):
    functions = arx_header.declared_functions(HEADER)

    def test_declarations_in_order_with_section_result_and_parameters(self) -> None:
        self.assertEqual([(f.name, f.section, f.result, f.parameters) for f in self.functions], [
            ("Arx_API_Init", "library", "int", ("int model", "void (*callback)(int code)")),
            ("Arx_Arm_Model_Name", "library", "const char*", ("int model",)),
            ("Arx_Arm_Model_From_Name", "library", "int", ("const char* name", "int* model")),
            ("inverse_kinematics_like", "kinematics", "Pose", ("const float* joint_in", "Pose target", "float joint_out[7]")),
            ("setAngle", "kinematics", "void", ("float x", "float y", "float z")),
            ("Get_Install_Pose", "kinematics", "int", ("SOCKHANDLE handle", "float* x", "float* y", "float* z")),
            ("API_Version", "kinematics", "char*", ())])
        names = [arx_header.parameter_name(p) for f in self.functions[:4:3] for p in f.parameters]
        self.assertEqual(names, ["model", "callback", "joint_in", "target", "joint_out"])
        self.assertEqual([arx_header.service_name(f) for f in ("inverse_kinematics", "setAngle", "end2tool", "API_Version")],
                         ["Service_Inverse_Kinematics", "Service_SetAngle", "Service_End2tool", "Service_API_Version"])

    def test_sweep_list_is_written_once_per_change(self) -> None:
        with tempfile.TemporaryDirectory() as folder:
            header, out = pathlib.Path(folder) / "arx_api.h", pathlib.Path(folder) / "list" / "declared.h"
            header.write_text(HEADER)
            self.assertEqual(arx_header.main(["arx_header.py", "sweep-list", str(header), str(out)]), 0)
            text = out.read_text()
            self.assertIn('    "Arx_Arm_Model_From_Name",\n', text)
            self.assertEqual(text.count('",\n'), len(self.functions))
            written = out.stat().st_mtime_ns
            self.assertEqual(arx_header.main(["arx_header.py", "sweep-list", str(header), str(out)]), 0)
            self.assertEqual(out.stat().st_mtime_ns, written)  # unchanged: not rewritten, the sweep not rebuilt
            header.write_text("/* nothing exported */\n")
            self.assertEqual(arx_header.main(["arx_header.py", "functions", str(header)]), 1)


# Records, enumerations, constants and comments, shaped as the public header writes them.
TYPES = """
/* Arm models. */
typedef int32_t ArmModel;
enum {
    MODEL_A = 0,
    MODEL_B = 1   /* seven joints */
};
/* Result codes. */
enum { OK = 0, FAILED = -1 /* gave up */ };
typedef enum { AXIS_X = 0, AXIS_Y = 2 } AXES;
#define LOG_DEBUG 0    /* raw texts */
#define CAPACITY 16
#define NOT_A_NUMBER ((int)~0)
/* A pose:
 * position (m). */
typedef struct {
    float x, y;
    ort quaternion;   /* scalar first */
    float data[4][4];
    char name[10];
} Pose;
/* Shared by the next two. */
ARX_API int First(int a);
ARX_API int Second(int b);

ARX_API int Third(void);
/* Its own. */
ARX_API int Fourth(void);
/* Sets a limit (m/s). Errors: ARX_TYPE_ERROR when the reply
 * state is not true/false.
 * @param handle connection
 * @blocking 20 ms pause; with block true, up to 3000 ms
 * more for the reply.
 * @return ARX_SUCCESS, or the failure's result code */
ARX_API int Set_Speed(SOCKHANDLE handle, float speed, bool block);
ARX_API int Set_Acc(SOCKHANDLE handle, float acc, bool block);
"""


class ReadsTheTypes(unittest.TestCase):
    def test_records_enumerations_named_by_their_typedef_and_integer_constants_only(self) -> None:
        [record] = arx_header.declared_records(TYPES)
        self.assertEqual((record.name, record.comment), ("Pose", "A pose:\nposition (m)."))
        self.assertEqual([(f.type, f.name, f.dims, f.comment) for f in record.fields],
                         [("float", "x", (), ""), ("float", "y", (), ""), ("ort", "quaternion", (), "scalar first"),
                          ("float", "data", (4, 4), ""), ("char", "name", (10,), "")])
        self.assertEqual([(e.name, e.members, e.comment) for e in arx_header.declared_enums(TYPES)], [
            ("ArmModel", (("MODEL_A", 0, ""), ("MODEL_B", 1, "seven joints")), "Arm models."),
            ("", (("OK", 0, ""), ("FAILED", -1, "gave up")), "Result codes."),
            ("AXES", (("AXIS_X", 0, ""), ("AXIS_Y", 2, "")), ""),
        ])
        self.assertEqual(arx_header.declared_constants(TYPES), {"LOG_DEBUG": (0, "raw texts"), "CAPACITY": (16, "")})

    def test_a_comment_describes_the_declarations_right_below_it(self) -> None:
        # The Python docstrings' text: the prose, what @blocking says, no @param or @return line.
        limit = ("Sets a limit (m/s). Errors: ARX_TYPE_ERROR when the reply\nstate is not true/false.\n"
                 "Blocking: 20 ms pause; with block true, up to 3000 ms more for the reply.")
        self.assertEqual(arx_header.function_comments(TYPES), {
            "First": "Shared by the next two.", "Second": "Shared by the next two.", "Third": "",
            "Fourth": "Its own.", "Set_Speed": limit, "Set_Acc": limit})


if __name__ == "__main__":
    unittest.main()
