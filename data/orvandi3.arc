; The outside archivers Velkor uses for archives other than ZIP.
;
; [ext] names each kind: its extensions (blank-separated) = the section that describes it.
; In a kind's section:
;   p, u      the packer and unpacker programs (a bare name is looked for beside Velkor and
;             along PATH, never in the current folder; u is p when empty)
;   list      writes the archive's listing; lstart/lend frame it; lformat reads one line:
;             T kind of entry (only files are taken), L size, yyyy-MM-dd / hh-mm-ss date and
;             time, N! the name to the end of the line, N(54) the name from that column on,
;             X a column left out
;   get       extracts the files %F into the current folder
;   unpack    extracts everything into the current folder: used instead of get once a run
;             takes out more than a few files, so a compressed or solid archive is read once,
;             not once for every file
;   add       adds the files %F of the current folder, with their folders
;   delete    removes the members %F
;   decompress, compress
;             for a compressed archive its archiver cannot change: decompress writes the plain
;             archive to standard output, compress the compressed form of the plain archive %A;
;             add and delete then work on the plain archive
; %A is the archive, %F the file names, %P/%p the packer, %U/%u the unpacker. Commands run
; without a shell: each value is one whole argument, whatever characters it holds.

[ext]
tar=tar
tar.gz tgz=tar.gz
tar.xz txz=tar.xz
tar.bz2 tbz2 tbz=tar.bz2
7z=7z

[tar]
p=tar
list=%P --full-time --numeric-owner -tvf %A
get=%U --no-wildcards -xf %A %F
add=%P --no-recursion -rf %A %F
delete=%P --no-wildcards --delete -f %A %F
lformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!

[tar.gz]
p=tar
u=gzip
list=%P --full-time --numeric-owner -tvzf %A
get=%P --no-wildcards -xzf %A %F
unpack=%P -xpzf %A
decompress=%U -dc %A
add=%P --no-recursion -rf %A %F
delete=%P --no-wildcards --delete -f %A %F
compress=%U -c %A
lformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!

[tar.xz]
p=tar
u=xz
list=%P --full-time --numeric-owner -tvJf %A
get=%P --no-wildcards -xJf %A %F
unpack=%P -xpJf %A
decompress=%U -dc %A
add=%P --no-recursion -rf %A %F
delete=%P --no-wildcards --delete -f %A %F
compress=%U -c %A
lformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!

[tar.bz2]
p=tar
u=bzip2
list=%P --full-time --numeric-owner -tvjf %A
get=%P --no-wildcards -xjf %A %F
unpack=%P -xpjf %A
decompress=%U -dc %A
add=%P --no-recursion -rf %A %F
delete=%P --no-wildcards --delete -f %A %F
compress=%U -c %A
lformat=T|X|L|yyyy-MM-dd|hh-mm-ss|N!

[7z]
p=7z
list=%P l -bd %A
get=%U x -bd -y -spd %A %F
unpack=%U x -bd -y %A
add=%P a -bd -t7z -spd %A %F
delete=%P d -bd -spd %A %F
lstart=-------------------
lend=-------------------
lformat=yyyy-MM-dd|hh-mm-ss|T|L|N(54)
