"""Builds yrdif._core from the engine's own sources at the top of the
repository (bindings/engine.sources), with the engine's flags
(bindings/engine.flags): the same files and the same floating-point rules
as the module, so every result keeps its bits.

An sdist carries those files in engine/ (copied there when it is made), so
that a wheel builds from it outside the repository."""
import glob
import os
import shutil

import numpy
from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext
from setuptools.command.sdist import sdist

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.normpath(os.path.join(HERE, "..", ".."))
TOP = os.path.join(HERE, "engine") if os.path.isdir(os.path.join(HERE, "engine")) else REPO


def engine():
    """({file's own flags: its sources}, flags) as the engine lists them."""
    sources = {}
    with open(os.path.join(TOP, "bindings", "engine.sources")) as f:
        for line in f:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            sources.setdefault(tuple(words[1:]), []).append(os.path.join(TOP, words[0]))
    with open(os.path.join(TOP, "bindings", "engine.flags")) as f:
        flags = f.read().split()
    return sources, flags


SOURCES, FLAGS = engine()


class BuildExt(build_ext):
    """Compiles the engine's sources where they stand (the processor
    variants with their instruction sets as well), then the extension
    itself, and links them."""

    def build_extension(self, ext):
        include = [os.path.join(TOP, "include"), os.path.join(TOP, "date"), TOP]
        objects = []
        for own, files in SOURCES.items():
            objects += self.compiler.compile(files, output_dir=self.build_temp,
                                             include_dirs=include,
                                             extra_postargs=FLAGS + list(own))
        ext.extra_objects = list(ext.extra_objects or []) + objects
        super().build_extension(ext)


class SDist(sdist):
    """Puts the engine's sources, its headers and its lists into the
    sdist's engine/, laid out as at the top of the repository."""

    def make_release_tree(self, base_dir, files):
        super().make_release_tree(base_dir, files)
        engine = os.path.join(base_dir, "engine")
        listed = [f for own in SOURCES.values() for f in own]
        headers = [f for d in ("include", "date", "strkernel", "tables")
                   for ext in ("h", "inc") for f in glob.glob(os.path.join(TOP, d, "*." + ext))]
        lists = [os.path.join(TOP, "bindings", n) for n in ("engine.sources", "engine.flags")]
        for f in listed + headers + lists:
            dest = os.path.join(engine, os.path.relpath(f, TOP))
            os.makedirs(os.path.dirname(dest), exist_ok=True)
            shutil.copyfile(f, dest)


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
    cmdclass={"build_ext": BuildExt, "sdist": SDist},
)
