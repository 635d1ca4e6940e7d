"""Builds the _orvy wheel: CMake builds the module and the Linux backend
library it opens, and setuptools packs both with the type stub into one abi3
wheel tagged for CPython 3.11 and later.

Extra CMake options come from the CMAKE_ARGS environment variable, for example
CMAKE_ARGS="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache".
"""
import os
import shlex
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))
# What CMake leaves in its python/ folder and the wheel carries beside each other:
# the module, the backend it opens from its own directory, and the stub.
MODULE_FILES = ("_orvy.abi3.so", "_orvy_linux.so", "_orvy.pyi")


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[], py_limited_api=True)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        destination = os.path.dirname(os.path.abspath(self.get_ext_fullpath(ext.name)))
        build_dir = os.path.abspath(os.path.join(self.build_temp, "cmake"))
        configure = ["cmake", "-S", ROOT, "-B", build_dir, f"-DPython3_EXECUTABLE={sys.executable}",
                     "-DCMAKE_BUILD_TYPE=Release", "-DORVY_TESTS=OFF", "-DORVY_BENCH=OFF"]
        if shutil.which("ninja") and not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
            configure += ["-G", "Ninja"]
        configure += shlex.split(os.environ.get("CMAKE_ARGS", ""))
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", build_dir, "--target", "_orvy", "orvy_platform_library"], check=True)
        os.makedirs(destination, exist_ok=True)
        for name in MODULE_FILES:
            shutil.copy2(os.path.join(build_dir, "python", name), destination)
        # mypy takes a stub from site-packages only as a stub-only package;
        # the stub beside the module serves editors and other checkers.
        stubs = os.path.join(destination, "_orvy-stubs")
        os.makedirs(stubs, exist_ok=True)
        shutil.copy2(os.path.join(build_dir, "python", "_orvy.pyi"), os.path.join(stubs, "__init__.pyi"))


setup(
    ext_modules=[CMakeExtension("_orvy")],
    cmdclass={"build_ext": CMakeBuild},
    options={
        # Beside CMake's usual build/ folder, not inside it.
        "build": {"build_base": "build-wheel"},
        "egg_info": {"egg_base": "build-wheel"},
        "bdist_wheel": {"py_limited_api": "cp311"},
    },
)
