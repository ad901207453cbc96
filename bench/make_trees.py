#!/usr/bin/python3
"""Generates benchmark trees: 100,000 files in five levels of folders (about 20-25 files a folder).

make_trees.py DIR            one tree at DIR/src
make_trees.py DIR --pair     DIR/src and DIR/dst, identical except 1% of the files changed in
                             dst, 0.5% only in src and 0.5% only in dst
Options: --files N (default 100000), --size BYTES (average file size, default 1024).
"""
import argparse
import os
import random


def folders(root, branching, depth):
    out = []
    level = [root]
    for _ in range(depth):
        level = [os.path.join(parent, "d%02d" % i) for parent in level for i in range(branching)]
        out.extend(level)
    return out


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("--pair", action="store_true")
    parser.add_argument("--files", type=int, default=100000)
    parser.add_argument("--size", type=int, default=1024)
    args = parser.parse_args()
    rng = random.Random(20261206)
    src = os.path.join(args.dir, "src")
    tree = folders(src, 5, 5)
    per_folder = max(1, args.files // len(tree))
    names = []
    for folder in tree:
        os.makedirs(folder, exist_ok=True)
        for i in range(per_folder):
            names.append(os.path.join(folder, "file%03d.dat" % i))
    names = names[: args.files]
    blob = bytes(rng.getrandbits(8) for _ in range(args.size * 2))
    stamp = 1700000000
    for n, path in enumerate(names):
        size = (n * 7919) % (args.size * 2)
        with open(path, "wb") as f:
            f.write(blob[:size])
        os.utime(path, (stamp, stamp + n))
    if not args.pair:
        return
    dst = os.path.join(args.dir, "dst")
    os.system("cp -a '%s' '%s'" % (src, dst))
    shuffled = names[:]
    rng.shuffle(shuffled)
    total = len(names)
    changed = shuffled[: total // 100]
    only_src = shuffled[total // 100 : total // 100 + total // 200]
    only_dst_from = shuffled[total // 100 + total // 200 : total // 100 + total // 100]
    for path in changed:
        target = dst + path[len(src):]
        with open(target, "ab") as f:
            f.write(b"changed")
        os.utime(target, (stamp, stamp + total + 100))
    for path in only_src:
        os.remove(dst + path[len(src):])
    for path in only_dst_from:
        os.remove(path)
    print("files %d, changed %d, only in src %d, only in dst %d" % (total, len(changed), len(only_src), len(only_dst_from)))


if __name__ == "__main__":
    main()
