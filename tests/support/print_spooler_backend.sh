#!/bin/sh
# The CUPS back end of the test spooler's queues: keeps each job's document, as the spooler
# hands it over, in the folder that the queue's device URI names ("zxpdf:/folder").
# job-<id>.pdf holds the document; job-<id>.txt (written last) the job's title, user, copies
# and options, one "name=value" a line.
if [ $# -eq 0 ]; then
    echo 'file zxpdf "Unknown" "Zentrik test PDF folder"'
    exit 0
fi
dir="${DEVICE_URI#zxpdf:}"
base="$dir/job-$1"
if [ -n "$6" ]; then
    cat "$6" > "$base.pdf" || exit 1
else
    cat > "$base.pdf" || exit 1
fi
printf 'title=%s\nuser=%s\ncopies=%s\noptions=%s\n' "$3" "$2" "$4" "$5" > "$base.part" || exit 1
mv "$base.part" "$base.txt"
