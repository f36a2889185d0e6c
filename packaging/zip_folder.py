"""Zips a folder with the folder itself as the archive's top entry.

Names are stored in UTF-8 with the language-encoding flag set, so that
"Datalnk/Удаление Varnholde" keeps its Cyrillic name when unpacked.
    python3 zip_folder.py <folder> <archive.zip>
"""
import os
import sys
import zipfile


def main(folder, archive):
    folder = os.path.abspath(folder)
    top = os.path.dirname(folder)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for here, dirs, files in os.walk(folder):
            dirs.sort()
            z.write(here, os.path.relpath(here, top))
            for name in sorted(files):
                path = os.path.join(here, name)
                z.write(path, os.path.relpath(path, top))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
