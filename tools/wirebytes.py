"""The wire messages' fields, written and read back: little-endian 32-bit integers and
strings (type 1, size, text up to its first NUL). Shared by the soak and the system tests'
raw client."""

import struct


def le32(v):
    return struct.pack("<i", v)


def string(data, type_=1):
    """A string field of type_ holding data (text or bytes) and its closing NUL."""
    if isinstance(data, str):
        data = data.encode("latin-1")
    data += b"\0"
    return le32(type_) + le32(len(data)) + data


class Cursor:
    """Reads fields from data in order; EOFError when the bytes end inside one."""

    def __init__(self, data):
        self.data, self.pos = data, 0

    def more(self):
        return self.pos < len(self.data)

    def take(self, n):
        if n < 0 or self.pos + n > len(self.data):
            raise EOFError
        self.pos += n
        return self.data[self.pos - n:self.pos]

    def int32(self):
        return struct.unpack("<i", self.take(4))[0]

    def text(self):
        if self.int32() != 1:
            raise EOFError
        return self.take(self.int32()).split(b"\0", 1)[0].decode("latin-1")
