// Quoted field lists and the numbers and date-times in them.
#include "FuzzSupport.h"
#include "store/RecordText.h"

using namespace dovrin;

DOVRIN_FUZZ_TARGET(data)
{
    // Every typed read, one after the other, as the readers of the formats use them.
    FieldReader reader(data);
    QString text;
    qint64 number = 0;
    qint16 small = 0;
    double real = 0;
    bool flag = false;
    RecordDateTime when;
    int reads = 0;
    while (!reader.atEnd()) {
        fuzz::require(++reads <= data.size() + 1, "the field reader does not move on");
        switch (reads % 6) {
        case 0:
            reader.readString(text);
            break;
        case 1:
            reader.readInt64(number);
            break;
        case 2:
            reader.readInt16(small);
            break;
        case 3:
            if (reader.readReal(real)) {
                // What the writer makes of a number reads back as the writer's number.
                QByteArray once;
                write::real(once, real);
                double again = 0;
                fuzz::require(fields::parseReal(once, again), "a written real is unreadable",
                              QString::fromLatin1(once));
                QByteArray twice;
                write::real(twice, again);
                fuzz::require(once == twice, "a written real changes on rewrite",
                              QString::fromLatin1(once));
            }
            break;
        case 4:
            reader.readBool(flag);
            break;
        case 5:
            if (FieldReader::Field field; reader.next(field)) {
                const auto read = RecordDateTime::parse(field.bytes);
                if (!read)
                    break;
                when = *read;
                const QByteArray written = when.toRecordText();
                const auto again = RecordDateTime::parse(written);
                fuzz::require(again && *again == when, "a written date-time reads back otherwise",
                              QString::fromLatin1(written));
            }
            break;
        }
    }

    // The whole input as one size and as one date-time field.
    qint64 size = 0;
    fields::parseSize(data, size);
    if (const auto parsed = RecordDateTime::parse(data)) {
        const QByteArray written = parsed->toRecordText();
        const auto again = RecordDateTime::parse(written);
        fuzz::require(again && *again == *parsed, "a written date-time reads back otherwise",
                      QString::fromLatin1(written));
    }
}
