# The reference for bench/export.sh: the text listing of one disk with awk, from the comment
# store, the info file and the file-list file, byte for byte as dovrin-cli export writes it in
# the en_GB locale (the Generated line aside). Variables: disk (its key), name, now.
function group(s,   r) {
    r = ""
    while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) }
    return s r
}
# The text overwrites the line from the column on.
function put(line, column, text) {
    return substr(line, 1, column - 1) text substr(line, column + length(text))
}
BEGIN { blank = sprintf("%200s", "") }
FNR == 1 { file++ }
file == 1 {
    sub(/\r$/, ""); i = index($0, "\",\""); if (!i) next
    k = substr($0, 2, i - 2); if (index(k, disk) != 1) next
    k = substr(k, length(disk) + 1); if (!(k in c)) c[k] = substr($0, i + 3, length($0) - i - 3)
    next
}
file == 2 { sub(/\r$/, ""); info[FNR] = $0; next }
FNR == 1 {
    printf "Directory of disk : %s\r\nGenerated         : %s By Dovrin 2\r\n", name, now
    printf "Disk catalogued   : %s\r\nFrom drive        : %s\r\nDisk free space   : %s\r\n\r\n", info[4], info[2], info[3]
}
{
    sub(/\r$/, "")
    if (substr($0, 2, 1) == ":") {
        folder = substr($0, 2, length($0) - 2) "\\"; path = substr(folder, 3)
        line = folder blank
        if (path in c) line = put(line, 72, c[path])
    } else {
        split($0, f, ","); file_name = substr(f[1], 2, length(f[1]) - 2)
        d = substr(f[3], 2, length(f[3]) - 2)
        if (length(d) >= 10) {
            t = substr(d, 12); d = substr(d, 9, 2) "/" substr(d, 6, 2) "/" substr(d, 1, 4)
            if (t != "") d = d " " t
        }
        size = group(f[2])
        line = put(put("  " file_name blank, 51 - length(size), size), 52, d)
        if ((path file_name) in c) line = put(line, 72, c[path file_name])
    }
    printf "%s\r\n", substr(line, 1, 200)
}
