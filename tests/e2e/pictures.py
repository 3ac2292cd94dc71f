"""Screenshots read back as pixels through ImageMagick, for the checks of the
desktop and Windows programs' pictures."""
import subprocess


def load(path, gray=False):
    """The picture as (width, height, bytes of rows: RGB, or one gray byte)."""
    data = subprocess.run(["convert", path, "-depth", "8", "pgm:-" if gray else "ppm:-"],
                          check=True, capture_output=True).stdout
    # A header of four words (the magic, width, height, maximum), each
    # followed by one blank, then the samples.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * (1 if gray else 3)]
