# Turns a help text as velmorande-host prints it into the body of a manual page section.
#   heading   a line at column 0 ending in ":"                    -> .SS (or SYNOPSIS, below)
#   item      an indented line starting with "-", or an indented  -> .TP, the item in bold
#             line whose item and text are apart by two spaces       where it is an option
#   text      any other line; blank lines end paragraphs          -> filled paragraphs
# A line indented deeper than its item is the item's text going on; where the indentation
# changes inside that text the line break stays, so examples laid out by hand stay laid out.
# With synopsis=1 a first heading "Usage:" becomes the SYNOPSIS section and the rest the
# DESCRIPTION; a line "usage: ..." gives the usage in bold.

function indent_of(line) {
    match(line, /^ */)
    return RLENGTH
}

# Escapes for roff text: backslashes, and a leading dot or quote that would be a request.
function escape(text) {
    gsub(/\\/, "\\e", text)
    sub(/^[.']/, "\\\\\\&&", text)
    return text
}

# Option names and minus signs typed as such, so they can be copied into a shell.
function minus(word) {
    gsub(/-/, "\\-", word)
    return word
}

# An item's words: options in bold, the rest as typed.
function item_words(text, n, words, i, out, word, tail) {
    n = split(text, words, / +/)
    out = ""
    for (i = 1; i <= n; i++) {
        word = escape(words[i])
        if (word ~ /^-/) {
            tail = ""
            if (word ~ /,$/) {
                tail = ","
                word = substr(word, 1, length(word) - 1)
            }
            word = "\\fB" minus(word) "\\fR" tail
        }
        out = out (i > 1 ? " " : "") word
    }
    return out
}

# Text words starting with "-" are options: typed with minus signs.
function text_words(text, n, words, i, out) {
    n = split(text, words, / +/)
    out = ""
    for (i = 1; i <= n; i++) {
        if (words[i] == "") continue
        out = out (out == "" ? "" : " ") (words[i] ~ /^--?[A-Za-z]/ ? minus(escape(words[i])) : escape(words[i]))
    }
    return out
}

function start_paragraph() {
    if (state != "text") print ".PP"
    state = "text"
}

{
    gsub(/\t/, "        ")
    sub(/ +$/, "")
    lines[++count] = $0
}

END {
    state = "none"
    section = synopsis ? "start" : "body"
    for (i = 1; i <= count; i++)
        convert(lines[i], i < count ? lines[i + 1] : "")
}

function convert(line, next_line, depth, body, name, text, split_at) {
    if (line == "") {
        if (state != "none") state = "gap"
        return
    }
    depth = indent_of(line)
    body = substr(line, depth + 1)

    # A heading.
    if (depth == 0 && body ~ /:$/) {
        name = substr(body, 1, length(body) - 1)
        if (section == "start" && tolower(name) == "usage") {
            print ".SH SYNOPSIS"
            section = "usage"
        } else {
            if (section != "body") print ".SH DESCRIPTION"
            section = "body"
            print ".SS \"" escape(name) "\""
        }
        state = "heading"
        return
    }

    # The item's text going on (it may start with an option's name where it lines up with
    # the text above).
    if (state == "item" && depth > item_depth && (body !~ /^-/ || depth >= text_depth)) {
        if (going_depth && depth != going_depth) print ".br"
        going_depth = depth
        print text_words(body)
        return
    }

    # A new item: its name, then its text from the first gap of two spaces, or from the
    # column its next line starts at where the name fills the space before that.
    if (depth > 0 && (body ~ /^-/ || body ~ /[^ ]  +[^ ]/)) {
        if (section == "start") {
            print ".SH DESCRIPTION"
            section = "body"
        }
        name = body
        text = ""
        split_at = 0
        if (match(body, /  +/)) {
            name = substr(body, 1, RSTART - 1)
            text = substr(body, RSTART + RLENGTH)
            text_depth = depth + RSTART + RLENGTH - 1
        } else {
            split_at = indent_of(next_line)
            if (split_at > depth && substr(line, split_at, 1) == " " &&
                substr(line, split_at + 1, 1) != " " && length(line) > split_at) {
                name = substr(line, depth + 1, split_at - depth - 1)
                text = substr(line, split_at + 1)
            }
            text_depth = split_at
        }
        print ".TP"
        print item_words(name)
        if (text != "") print text_words(text)
        item_depth = depth
        going_depth = 0
        state = "item"
        return
    }

    # Text.
    if (section == "start" || (section == "usage" && depth == 0)) {
        print ".SH DESCRIPTION"
        section = "body"
    }
    if (tolower(body) ~ /^usage: /) {
        start_paragraph()
        print "\\fB" text_words(substr(body, 8)) "\\fR"
        state = "usage"
        return
    }
    if (state == "usage" && depth > 0) {
        print "\\fB" text_words(body) "\\fR"
        return
    }
    start_paragraph()
    print text_words(body)
}
