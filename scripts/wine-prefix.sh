# Sourced by the scripts that run the Windows build under Wine. wine_prefix DIR makes (or takes) a
# 64-bit Wine prefix in DIR, quiet, exports what Wine needs (a Chinese locale), gives the prefix a CJK
# font for the text Qt and Wine draw (WenQuanYi Micro Hei, standing in for the fonts a Chinese
# Windows has), and starts its server and services away from any caller's pipes (Wine's
# background processes keep the standard streams of the program that starts them).
wine_prefix() {
    # Wine takes the user's locale from the Unix one: Chinese, as on a Chinese Windows (dates as
    # such a Windows writes them), and UTF-8, or Chinese arguments are mangled.
    if ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
        localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 2>/dev/null || sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
    fi
    export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8
    unset LC_ALL
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wine wineboot --init </dev/null >/dev/null 2>&1
        wineserver -w
        cp /usr/share/fonts/truetype/wqy/wqy-microhei.ttc "$WINEPREFIX/drive_c/windows/Fonts/"
        local nt='HKLM\Software\Microsoft\Windows NT\CurrentVersion' family='WenQuanYi Micro Hei'
        wine reg add "$nt\\Fonts" /v "$family & $family Mono (TrueType)" /d wqy-microhei.ttc /f >/dev/null 2>&1
        for substitute in SimSun NSimSun "Microsoft YaHei" SimHei; do
            wine reg add "$nt\\FontSubstitutes" /v "$substitute" /d "$family" /f >/dev/null 2>&1
        done
        for base in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" Arial; do
            wine reg add "$nt\\FontLink\\SystemLink" /v "$base" /t REG_MULTI_SZ /d "wqy-microhei.ttc,$family" /f \
                >/dev/null 2>&1
        done
        wineserver -w
    fi
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}
