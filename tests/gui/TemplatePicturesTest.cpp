#include "gui/TemplatePictures.h"

#include <gtest/gtest.h>

using menu::gui::TemplatePicture;

namespace {

struct Expected {
    TemplatePicture picture;
    int side;
    bool alpha; // 32-bit with alpha, or 24-bit
};

TEST(TemplatePictures, SizesAndDepths)
{
    const Expected pictures[] = {
        {TemplatePicture::MissingProgram, 32, false},
        {TemplatePicture::MissingEntry, 48, true},
        {TemplatePicture::Pdf, 256, false},
        {TemplatePicture::Chm, 32, false},
        {TemplatePicture::Url, 64, false},
        {TemplatePicture::Bat, 48, false},
        {TemplatePicture::ProgramGeneric, 32, true},
    };
    for (const Expected &e : pictures) {
        SCOPED_TRACE(menu::gui::templatePicturePath(e.picture).toStdString());
        const QImage image = menu::gui::templatePicture(e.picture);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(e.side, e.side));
        EXPECT_EQ(image.hasAlphaChannel(), e.alpha);
        if (e.alpha) { // the corners of the 32-bit pictures show what lies beneath
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        }
    }
}

} // namespace
