#pragma once

#include "service/GbkText.h"

class TReplyRow;

// A catalogue record: a scene; Code is the unitcode of its unit, MaterialId the media id.
// Every field is the GBK text the service sent, trimmed; empty means no value.
struct TMaterialObj {
    GbkString MaterialId;
    GbkString TextJson;
    GbkString Title;
    GbkString VideoId;
    GbkString Code;
    GbkString VideoFileName;
    GbkString AudioFileName;
    GbkString CoverFileName;

    // Reads every field from the row by its case-sensitive key; a missing key gives empty.
    static TMaterialObj fromRow(const TReplyRow& row);
};
