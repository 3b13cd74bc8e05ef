// Tree keys and record paths taken apart, and the names and paths the scanner writes.
#include "store/Keys.h"

#include "FuzzSupport.h"
#include "scan/RecordNames.h"
#include "store/TextCodec.h"

using namespace dovrin;

namespace {

void checkKey(const QString& key)
{
    const int separators = int(key.count(keys::kSeparator));
    const QString catalogue = keys::catalogue(key);
    const QString disk = keys::disk(key);
    const QString recordPath = keys::recordPath(key);
    const QString parent = keys::parent(key);
    const QString lastName = keys::lastName(key);
    fuzz::require(key.startsWith(catalogue) && key.startsWith(disk) && key.startsWith(parent),
                  "a key does not begin with its container", key);
    fuzz::require(separators == 0 || catalogue == keys::catalogueName(key) + u'\\',
                  "catalogue and catalogue name disagree", key);
    if (separators >= 2) {
        fuzz::require(disk == catalogue + keys::diskName(key) + u'\\',
                      "disk key is not catalogue and disk name", key);
        fuzz::require(recordPath + u'\\' == disk, "record path and disk key disagree", key);
    } else {
        fuzz::require(disk.isEmpty() && keys::diskName(key).isEmpty() && recordPath == key,
                      "a key without a disk part gave one", key);
    }
    fuzz::require(!lastName.contains(keys::kSeparator), "a last name holds a separator", key);
    fuzz::require(parent.isEmpty() || parent.endsWith(keys::kSeparator),
                  "a parent is not a container", key);
    if (!parent.isEmpty())
        fuzz::require(parent.size() < key.size(), "a key is its own parent", key);
}

} // namespace

DOVRIN_FUZZ_TARGET(data)
{
    checkKey(text::decode(data));

    // A name the scanner writes can stand in a quoted field and a folder key.
    QByteArray name;
    scan::appendFileName(name, data);
    fuzz::require(!name.contains('"') && !name.contains('\\') && !name.contains('\r') &&
                      !name.contains('\n') && !name.startsWith(':'),
                  "a written file name breaks the record", text::decode(name));
    QByteArray folder;
    scan::appendFolderName(folder, data);
    fuzz::require(!folder.contains('"') && !folder.contains('\\') && !folder.contains('\r') &&
                      !folder.contains('\n'),
                  "a written folder name breaks the record", text::decode(folder));

    // The work file keeps any native path.
    QByteArray escaped;
    scan::appendEscapedPath(escaped, data);
    fuzz::require(!escaped.contains('\r') && !escaped.contains('\n'),
                  "an escaped path holds a line break");
    fuzz::require(scan::unescapePath(escaped) == data, "an escaped path comes back otherwise");
    scan::unescapePath(data);
}
