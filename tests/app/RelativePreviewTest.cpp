// The preview measures a mark in percent on each listed image: a caption 10 % of the shorter
// side high is 30 pixels on a 400 x 300 image and 90 on a 1200 x 900 one.

#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "app/ListWindowFixture.h"
#include "app/SpinEdit.h"

namespace tessoly {
namespace {

using test::ListWindowTest;
using test::SavePicture;

//! Rows where the preview differs from the decoded source: the mark's height [pixels].
int MarkedRows(const WorkingImage& image) {
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.SourceBitmap.Height(); ++y)
        for (int x = 0; x < image.SourceBitmap.Width(); ++x)
            if (image.SourceBitmap.Pixel(x, y) != image.PreviewBitmap.Pixel(x, y)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

TEST_F(ListWindowTest, ThePreviewSizesARelativeMarkOnEachImage) {
    SavePicture(scratch.file("small.png"), FIF_PNG, 400, 300);
    SavePicture(scratch.file("large.png"), FIF_PNG, 1200, 900);
    form->sEditTextCaption->setText(QStringLiteral("HTEL"));
    form->sCheckBoxOutline->setChecked(false);
    form->sCheckBox3D->setChecked(false);
    form->sTrackBarOpacityText->setValue(50);
    form->sComboBoxFontSizeUnitText->setCurrentIndex(1);
    form->sSpinEditFontSize->SetValue(10);
    ASSERT_EQ(form->ReadSettings().fontSizeUnit, SizeUnit::PercentOfImage);

    form->LoadPreviewImage(scratch.file("small.png"));
    ASSERT_EQ(form->Image().PreviewBitmap.Width(), 400);
    EXPECT_NEAR(MarkedRows(form->Image()), 30, 2);
    form->LoadPreviewImage(scratch.file("large.png"));
    ASSERT_EQ(form->Image().PreviewBitmap.Width(), 1200);
    EXPECT_NEAR(MarkedRows(form->Image()), 90, 2);
    EXPECT_TRUE(seam.messages.empty());
}

} // namespace
} // namespace tessoly
