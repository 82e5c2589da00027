// corvane-art: draws Corvane's artwork from the sources in this folder.
//
//   corvane-art bitmaps DIR   writes DIR/<id>.png for every bitmap resource
//   corvane-art skin DIR      writes DIR/Logo.ico and DIR/Help.bmp
//   corvane-art icons DIR     writes DIR/<n>x<n>/apps/corvane.png, the logo in
//                             the hicolor icon theme's sizes (for installing)
//
// The build runs the first form and compiles the pictures into the desktop
// program; the second form made the two files shipped in "Config File/Skin/"
// (run it again after changing the logo or the help picture).
#include "bitmaps.h"
#include "icon_file.h"
#include "skin_pictures.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool WriteBitmaps(const QString& folder) {
    for (const art::BitmapArt& bitmap : art::DrawAllBitmaps()) {
        const QString path = folder + "/" + QString::number(bitmap.id) + ".png";
        if (!bitmap.image.save(path, "PNG")) {
            std::fprintf(stderr, "corvane-art: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

bool WriteSkin(const QString& folder) {
    const std::vector<QImage> logos = {art::DrawLogo(16), art::DrawLogo(32), art::DrawLogo(48),
                                       art::DrawLogo(64)};
    QFile icon(folder + "/Logo.ico");
    if (!icon.open(QIODevice::WriteOnly) || icon.write(art::EncodeIconFile(logos)) < 0) {
        std::fprintf(stderr, "corvane-art: cannot write %s\n", qPrintable(icon.fileName()));
        return false;
    }
    const QString help = folder + "/Help.bmp";
    if (!art::DrawHelpPicture().save(help, "BMP")) {
        std::fprintf(stderr, "corvane-art: cannot write %s\n", qPrintable(help));
        return false;
    }
    return true;
}

// The sizes desktops look up in the hicolor theme; the logo is drawn for each
// rather than scaled from one picture.
bool WriteThemeIcons(const QString& folder) {
    for (const int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString size = QString::number(side);
        const QString dir = folder + "/" + size + "x" + size + "/apps";
        const QString path = dir + "/corvane.png";
        if (!QDir().mkpath(dir) || !art::DrawLogo(side).save(path, "PNG")) {
            std::fprintf(stderr, "corvane-art: cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: corvane-art bitmaps|skin|icons DIR\n");
        return 2;
    }
    const std::string mode = argv[1];
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "corvane-art: cannot create %s\n", argv[2]);
        return 1;
    }
    if (mode == "bitmaps") {
        return WriteBitmaps(folder) ? 0 : 1;
    }
    if (mode == "skin") {
        return WriteSkin(folder) ? 0 : 1;
    }
    if (mode == "icons") {
        return WriteThemeIcons(folder) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: corvane-art bitmaps|skin|icons DIR\n");
    return 2;
}
