"""The .nsf files the comparison scripts walk: each argument a file, or a folder of them."""
import glob
import os


def sample_files(args):
    files = []
    for arg in args:
        files += sorted(glob.glob(os.path.join(arg, '*.nsf'))) if os.path.isdir(arg) else [arg]
    return files
