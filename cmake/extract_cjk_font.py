#!/usr/bin/env python3
"""Writes one face of an OpenType collection as a standalone font file.

Usage: extract_cjk_font.py COLLECTION POSTSCRIPT_NAME OUTPUT

The face is picked by its PostScript name rather than its index, because the
order of faces inside a collection is not promised between releases.
"""
import os
import sys

from fontTools.ttLib import TTCollection


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2

    collection_path, postscript_name, output_path = argv[1:]
    collection = TTCollection(collection_path, lazy=True)

    for face in collection.fonts:
        if face["name"].getDebugName(6) == postscript_name:
            os.makedirs(os.path.dirname(os.path.abspath(output_path)), exist_ok=True)
            # Write beside the target and rename, so an interrupted build never leaves half a font.
            partial = output_path + ".partial"
            face.save(partial, reorderTables=False)
            os.replace(partial, output_path)
            return 0

    names = [face["name"].getDebugName(6) for face in collection.fonts]
    sys.stderr.write("no face named %s in %s (has: %s)\n" % (postscript_name, collection_path, ", ".join(map(str, names))))
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
