# Pulls the fenced code blocks out of a Markdown page.
# Usage: awk -v out=DIR -f extract_blocks.awk PAGE.md
# Writes each block's text to DIR/NN (NN = 01, 02, ...; the fence's indentation removed) and
# one line per block to DIR/manifest: NN <tab> line of its first text line <tab> language
# ("-" for none) <tab> marker. The marker is what follows "doc-test:" in an HTML comment on
# the line right before the opening fence, e.g. <!-- doc-test: c harness=frame_loop -->;
# empty without one.
# A marker that no fence follows, or a fence left open, is an error (status 1).

function fail(message) {
    printf "%s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
    failed = 1
    exit 1
}

BEGIN {
    if (out == "")
        fail("no output folder (-v out=DIR)")
    manifest = out "/manifest"
    printf "" > manifest
}

open {
    # A closing fence: the opening characters, at least as many, nothing but blanks after.
    line = $0
    sub(/^ +/, "", line)
    if (substr(line, 1, length(fence)) == fence && line ~ /^(`+|~+)[ \t]*$/ &&
        substr(line, 1, 1) == substr(fence, 1, 1)) {
        open = 0
        close(file)
        next
    }
    text = $0
    for (k = 0; k < indent && substr(text, 1, 1) == " "; ++k)
        text = substr(text, 2)
    print text > file
    next
}

/^( |  |   )?(```|~~~)/ {
    match($0, /^ */)
    indent = RLENGTH
    rest = substr($0, indent + 1)
    match(rest, /^(`+|~+)/)
    fence = substr(rest, 1, RLENGTH)
    language = substr(rest, RLENGTH + 1)
    gsub(/^[ \t]+|[ \t].*$/, "", language)
    if (language == "")
        language = "-"
    ++count
    file = sprintf("%s/%02d", out, count)
    printf "" > file
    printf "%02d\t%d\t%s\t%s\n", count, FNR + 1, language, marker >> manifest
    open = 1
    marker = ""
    marker_line = 0
    next
}

{
    if (marker_line)
        fail("the doc-test marker of line " marker_line " is not followed by a code block")
}

/^<!-- *doc-test:.*-->[ \t]*$/ {
    marker = $0
    sub(/^<!-- *doc-test: */, "", marker)
    sub(/ *-->[ \t]*$/, "", marker)
    gsub(/\t/, " ", marker)
    marker_line = FNR
}

END {
    if (failed)
        exit 1
    if (open)
        fail("a code block is not closed")
    if (marker_line)
        fail("the doc-test marker of line " marker_line " is not followed by a code block")
    close(manifest)
}
