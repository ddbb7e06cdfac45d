"""Builds yrdif._core from the engine's own sources at the top of the
repository (bindings/engine.sources), with the engine's flags
(bindings/engine.flags): the same files and the same floating-point rules
as the module, so every result keeps its bits."""
import os

import numpy
from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))


def engine():
    """(sources, avx2 sources, flags) as the engine lists them."""
    plain, avx2 = [], []
    with open(os.path.join(TOP, "bindings", "engine.sources")) as f:
        for line in f:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            (avx2 if "avx2" in words[1:] else plain).append(os.path.join(TOP, words[0]))
    with open(os.path.join(TOP, "bindings", "engine.flags")) as f:
        flags = f.read().split()
    return plain, avx2, flags


SOURCES, AVX2_SOURCES, FLAGS = engine()


class BuildExt(build_ext):
    """Compiles the engine's sources where they stand (the AVX2 variants
    with -mavx2 as well), then the extension itself, and links them."""

    def build_extension(self, ext):
        include = [os.path.join(TOP, "include"), os.path.join(TOP, "date"), TOP]
        objects = self.compiler.compile(SOURCES, output_dir=self.build_temp,
                                        include_dirs=include, extra_postargs=FLAGS)
        objects += self.compiler.compile(AVX2_SOURCES, output_dir=self.build_temp,
                                         include_dirs=include, extra_postargs=FLAGS + ["-mavx2"])
        ext.extra_objects = list(ext.extra_objects or []) + objects
        super().build_extension(ext)


setup(
    ext_modules=[
        Extension(
            "yrdif._core",
            sources=["src/yrdif/_core.cpp"],
            include_dirs=[os.path.join(TOP, "include"), os.path.join(TOP, "date"), TOP,
                          numpy.get_include()],
            extra_compile_args=FLAGS,
            language="c++",
        )
    ],
    cmdclass={"build_ext": BuildExt},
)
