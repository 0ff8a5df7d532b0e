#!/usr/bin/env python3
"""Computes the known answers of csp_test.cpp without the code under test.

Keys: MD5 of the password's UTF-16LE code units, expanded through the 0x36/0x5C buffers when
the key is longer than the hash or is an AES key. Ciphertexts: the `openssl enc` command with
-K and an all-zero -iv, except where `openssl enc` has no cipher of the key's exact length
(it pads a short -K with zeros): RC4 and RC2 with 56-bit keys, computed by the small RC4 and
RC2 below, which are first checked against `openssl enc` at the lengths it has.

Run: python3 known_answers.py   (prints the C++ table rows)
"""
import hashlib
import subprocess

PASSWORD = "P\u00e4ssw\u00f6rd \u20ac1"
PLAIN = b"Twenty bytes of data"


def derive(hash_value, key_bytes, always_expand):
    if key_bytes <= len(hash_value) and not always_expand:
        return hash_value[:key_bytes]
    pad1 = bytes([0x36 ^ (hash_value[i] if i < len(hash_value) else 0) for i in range(64)])
    pad2 = bytes([0x5C ^ (hash_value[i] if i < len(hash_value) else 0) for i in range(64)])
    return (hashlib.md5(pad1).digest() + hashlib.md5(pad2).digest())[:key_bytes]


def openssl(cipher, key, data, iv_bytes):
    args = ["openssl", "enc", "-" + cipher, "-provider", "legacy", "-provider", "default",
            "-nosalt", "-K", key.hex()]
    if iv_bytes:
        args += ["-iv", "00" * iv_bytes]
    return subprocess.run(args, input=data, capture_output=True, check=True).stdout


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 0xFF
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for byte in data:
        i = (i + 1) & 0xFF
        j = (j + s[i]) & 0xFF
        s[i], s[j] = s[j], s[i]
        out.append(byte ^ s[(s[i] + s[j]) & 0xFF])
    return bytes(out)


PITABLE = bytes.fromhex(
    "d978f9c419ddb5ed28e9fd794aa0d89dc67e37832b76538e624c6488448bfba2"
    "179a59f587b34f1361456d8d09817d32bd8f40eb86b77b0bf09521225c6b4e82"
    "54d66593ce60b21c7356c014a78cf1dc1275ca1f3bbee4d1423dd430a33cb626"
    "6fbf0eda4669075727f21d9bbc944303f811c7f690ef3ee706c3d52fc8661ed7"
    "08e8eade8052eef784aa72ac354d6a2a961ad2715a1549744b9fd05e0418a4ec"
    "c2e0416e0f51cbcc2491af50a1f47039997c3a8523b8b47afc02365b25559731"
    "2d5dfa98e38a92ae05df2910676cbac9d300e6cfe19ea82c6316013f58e289a9"
    "0d38341bab33ffb0bb480c5fb9b1cd2ec5f3db47e5a59c770aa62068fe7fc1ad")


def rc2_cbc(key, effective_bits, data):
    # RFC 2268 key expansion and encryption, CBC with a zero IV and PKCS #5 padding.
    t = len(key)
    l = bytearray(key) + bytearray(128 - t)
    for i in range(t, 128):
        l[i] = PITABLE[(l[i - 1] + l[i - t]) & 0xFF]
    t8 = (effective_bits + 7) // 8
    tm = 0xFF % (1 << (8 + effective_bits - 8 * t8))
    l[128 - t8] = PITABLE[l[128 - t8] & tm]
    for i in range(127 - t8, -1, -1):
        l[i] = PITABLE[l[i + 1] ^ l[i + t8]]
    k = [l[2 * i] | (l[2 * i + 1] << 8) for i in range(64)]

    def rol(x, n):
        return ((x << n) | (x >> (16 - n))) & 0xFFFF

    def block(r):
        j = 0
        for rnd in range(16):
            for i, s in enumerate((1, 2, 3, 5)):
                r[i] = (r[i] + k[j] + (r[(i + 3) % 4] & r[(i + 2) % 4]) +
                        ((~r[(i + 3) % 4]) & r[(i + 1) % 4])) & 0xFFFF
                r[i] = rol(r[i], s)
                j += 1
            if rnd in (4, 10):
                for i in range(4):
                    r[i] = (r[i] + k[r[(i + 3) % 4] & 63]) & 0xFFFF
        return r

    pad = 8 - len(data) % 8
    data = data + bytes([pad]) * pad
    prev = bytes(8)
    out = bytearray()
    for n in range(0, len(data), 8):
        chunk = bytes(a ^ b for a, b in zip(data[n:n + 8], prev))
        r = block([chunk[2 * i] | (chunk[2 * i + 1] << 8) for i in range(4)])
        prev = b"".join(bytes([w & 0xFF, w >> 8]) for w in r)
        out += prev
    return bytes(out)


def check_references():
    key = bytes(range(1, 17))
    assert rc4(key, PLAIN) == openssl("rc4", key, PLAIN, 0)
    assert rc4(key[:5], PLAIN) == openssl("rc4-40", key[:5], PLAIN, 0)
    assert rc2_cbc(key, 128, PLAIN) == openssl("rc2-cbc", key, PLAIN, 8)
    assert rc2_cbc(key[:5], 40, PLAIN) == openssl("rc2-40-cbc", key[:5], PLAIN, 8)
    assert rc2_cbc(key[:8], 64, PLAIN) == openssl("rc2-64-cbc", key[:8], PLAIN, 8)


# (name, key bits, always expand, how to encrypt)
CIPHERS = [
    ("RC2", 40, False, lambda k, d: openssl("rc2-40-cbc", k, d, 8)),
    ("RC2", 56, False, lambda k, d: rc2_cbc(k, 56, d)),
    ("RC2", 128, False, lambda k, d: openssl("rc2-cbc", k, d, 8)),
    ("RC4", 40, False, lambda k, d: openssl("rc4-40", k, d, 0)),
    ("RC4", 56, False, lambda k, d: rc4(k, d)),
    ("RC4", 128, False, lambda k, d: openssl("rc4", k, d, 0)),
    ("DES", 56, False, lambda k, d: openssl("des-cbc", k, d, 8)),
    ("3DES_112", 112, False, lambda k, d: openssl("des-ede-cbc", k, d, 8)),
    ("3DES", 168, False, lambda k, d: openssl("des-ede3-cbc", k, d, 8)),
    ("AES_128", 128, True, lambda k, d: openssl("aes-128-cbc", k, d, 16)),
    ("AES_192", 192, True, lambda k, d: openssl("aes-192-cbc", k, d, 16)),
    ("AES_256", 256, True, lambda k, d: openssl("aes-256-cbc", k, d, 16)),
]

KEY_BYTES = {"DES": 8, "3DES_112": 16, "3DES": 24}

if __name__ == "__main__":
    check_references()
    digest = hashlib.md5(PASSWORD.encode("utf-16-le")).digest()
    print("// MD5 of the password:", digest.hex())
    for name, bits, expand, encrypt in CIPHERS:
        key = derive(digest, KEY_BYTES.get(name, bits // 8), expand)
        print('    {"%s", %d, "%s",\n     "%s"},' % (name, bits, key.hex(), encrypt(key, PLAIN).hex()))
    # Padding: no data gives one block of padding, a whole block of data a whole extra block.
    des = derive(digest, 8, False)
    print("// DES, 0 bytes:", openssl("des-cbc", des, b"", 8).hex())
    print("// AES_256, 0 bytes:", openssl("aes-256-cbc", derive(digest, 32, True), b"", 16).hex())
    print("// AES_128, 16 bytes:",
          openssl("aes-128-cbc", derive(digest, 16, True), b"Sixteen bytes!!!", 16).hex())
    # The platform's published example: a given hash to an AES-128 key and one block.
    example = derive(bytes.fromhex("0ea0407255e54ceb79cb48c3d1b1d0f4"), 16, True)
    print("// example key", example.hex(), openssl("aes-128-cbc", example, bytes([0x21, 0x22, 0x23, 0x24]), 16).hex())
