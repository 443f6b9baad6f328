#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "platform/figures/figure.h"
#include "platform/system/files.h"
#include "platform/widgets/last_folder.h"
#include "platform/widgets/picture_box.h"
#include "platform/widgets/picture_figure.h"

namespace {

// A window with a picture box holding a dark red horizontal curve and, above it, a blue
// vertical one, and an axis label under the box.
class FigureExport : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(300, 200);
    box_ = new platform::PictureBox(platform::PictureBox::Scale::Pixels, &window_);
    box_->setGeometry(20, 10, 204, 104);
    box_->SetBackColour(common::Rgb(224, 255, 224));
    box_->SetForeColour(common::Rgb(192, 0, 0));
    box_->Line(0, 50, 199, 50);
    box_->SetForeColour(common::Rgb(0, 0, 255));
    box_->Line(100, 0, 100, 40);
    label_ = new QLabel("Generations", &window_);
    label_->setGeometry(80, 116, 90, 16);
    ASSERT_TRUE(dir_.isValid());
  }

  platform::PictureFigure Figure() const {
    return platform::PictureFigure(*box_, platform::LabelsBeside(*box_, {label_}), "Frequencies");
  }

  // The longest run of pixels in one row that are clearly reddish, and in one column that
  // are clearly bluish: the two curves, however a renderer smooths their edges.
  static void CurveRuns(const QImage& image, int& redRun, int& blueRun) {
    redRun = blueRun = 0;
    for (int y = 0; y < image.height(); ++y) {
      int run = 0;
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        run = c.red() - c.green() > 60 && c.red() - c.blue() > 40 ? run + 1 : 0;
        redRun = std::max(redRun, run);
      }
    }
    for (int x = 0; x < image.width(); ++x) {
      int run = 0;
      for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        run = c.blue() - c.red() > 60 && c.blue() - c.green() > 20 ? run + 1 : 0;
        blueRun = std::max(blueRun, run);
      }
    }
  }

  void ExpectCurves(const QImage& image, double scale) const {
    int red = 0, blue = 0;
    CurveRuns(image, red, blue);
    EXPECT_GE(red, static_cast<int>(190 * scale));
    EXPECT_GE(blue, static_cast<int>(38 * scale));
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }

  QWidget window_;
  platform::PictureBox* box_ = nullptr;
  QLabel* label_ = nullptr;
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(FigureExport, PngAtTheScreenRatioOrTwice) {
  const platform::PictureFigure figure = Figure();
  // The figure holds the box, the label below it and the title above.
  EXPECT_GT(figure.Size().width(), 204);
  EXPECT_GT(figure.Size().height(), 104 + 16 + 16);

  ASSERT_EQ(platform::ExportFigure(figure, Path("a.png"), 1.0), "");
  QImage image(Path("a.png"));
  EXPECT_EQ(image.size(), figure.Size());
  ExpectCurves(image, 1);
  // The curves are painted as the screen shows them, pixel for pixel.
  auto count = [](const QImage& picture, QColor colour) {
    int n = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) n += picture.pixelColor(x, y) == colour;
    return n;
  };
  const QImage screen = box_->Snapshot();
  EXPECT_EQ(count(image, QColor(192, 0, 0)), count(screen, QColor(192, 0, 0)));
  EXPECT_EQ(count(image, QColor(0, 0, 255)), count(screen, QColor(0, 0, 255)));

  ASSERT_EQ(platform::ExportFigure(figure, Path("b@2x.png"),
                                   platform::PngPixelRatio(Path("b@2x.png"), 1.0)),
            "");
  QImage twice(Path("b@2x.png"));
  EXPECT_EQ(twice.size(), figure.Size() * 2);
  ExpectCurves(twice, 2);
}

TEST_F(FigureExport, SvgIsVectorAndRendersBackWithTheCurves) {
  const platform::PictureFigure figure = Figure();
  ASSERT_EQ(platform::ExportFigure(figure, Path("a.svg"), 1.0), "");
  QFile file(Path("a.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray svg = file.readAll();
  EXPECT_FALSE(svg.contains("<image"));
  EXPECT_TRUE(svg.contains("Generations"));
  QSvgRenderer renderer(svg);
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBoxF().size(), QSizeF(figure.Size()));
  QImage image(figure.Size() * 2, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  renderer.render(&painter);
  painter.end();
  ExpectCurves(image, 2);
}

TEST_F(FigureExport, PdfIsOnePageTheSizeOfTheFigure) {
  const platform::PictureFigure figure = Figure();
  ASSERT_EQ(platform::ExportFigure(figure, Path("a.pdf"), 1.0), "");
  QFile file(Path("a.pdf"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("%PDF"));
  const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm is not installed";
  // At 96 dots per inch a page point is 4/3 pixels: the figure's own size.
  ASSERT_EQ(QProcess::execute(pdftoppm,
                              {"-r", "96", "-png", "-singlefile", Path("a.pdf"), Path("from_pdf")}),
            0);
  QImage image(Path("from_pdf.png"));
  EXPECT_NEAR(image.width(), figure.Size().width(), 1);
  EXPECT_NEAR(image.height(), figure.Size().height(), 1);
  ExpectCurves(image, 1);
}

TEST_F(FigureExport, RefusesOtherFormatsAndUnwritablePlaces) {
  const platform::PictureFigure figure = Figure();
  EXPECT_NE(platform::ExportFigure(figure, Path("a.bmp"), 1.0), "");
  EXPECT_NE(platform::ExportFigure(figure, Path("missing/a.png"), 1.0), "");
  EXPECT_TRUE(QDir(dir_.path()).entryList(QDir::Files).isEmpty());
}

TEST(LastFolder, RemembersTheFolderOfTheLastFileWhileItExists) {
  QTemporaryDir settings, files;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  const QString folder = files.filePath("figures");
  ASSERT_TRUE(QDir().mkpath(folder));
  platform::RememberFolderOf(QDir(folder).filePath("a.png"));
  EXPECT_EQ(QDir(platform::LastFolder()), QDir(folder));
  QDir(folder).removeRecursively();
  EXPECT_EQ(platform::LastFolder().toStdString(), platform::DefaultFolder());
}
