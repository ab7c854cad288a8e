#pragma once

#include "access/Access.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// "Merge To Bin": writes the database as the default program list of a firmware image.
//
// The default-database area of an image starts at the first "Sg8K" in it, holds a program database
// image (see AccessDb.h) up to the first "Eg8K" after that, and is followed by filler bytes 0xFF;
// the area ends with the last of them. The new database image must fit into the area; the rest of
// the area becomes 0xFF again. The image keeps its length and every byte outside the area.
class CAccessDftDbOut : public CAccessOut
{
public:
    CAccessDftDbOut();

    // Merges into the image file strPath (an existing file; none is created). The new image is
    // written beside the old one and renamed over it, so the file is either merged whole or left as
    // it was. Messages: "Open file failed!", "Empty file!", "Invalid file format!", "The size
    // defaultDb is not large enough for your default data!", or the database writer's own. The link
    // fields of the records of pDb are recomputed on the way.
    bool SaveDb(const std::string& strPath, CProgDb* pDb) override;
    // The same on an image in memory; the image is unchanged on failure.
    bool MergeImage(std::vector<uint8_t>& image, CProgDb* pDb);
};

struct DftDbArea
{
    size_t nStart;    // the first "Sg8K"
    size_t nCapacity; // from the start to the end of the 0xFF run behind the first "Eg8K" after it
};

// Finds the default-database area; false when there is no "Sg8K", or no "Eg8K" after it.
bool FindDftDbArea(const uint8_t* pData, size_t nSize, DftDbArea& area);
