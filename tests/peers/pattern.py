"""The content of the download tests' files: byte i of every served file is
((i * 2654435761) >> 13) & 0xff, so that a byte written at a wrong offset
shows. tests/download/Pattern.h computes the same bytes."""
import sys


def pattern(size):
    return bytes(((i * 2654435761) >> 13) & 0xFF for i in range(size))


if __name__ == "__main__":
    # pattern.py SIZE > file
    sys.stdout.buffer.write(pattern(int(sys.argv[1])))
