<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>SystemError</name>
    <message>
        <source>没有权限</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件或文件夹不存在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>路径中有一级是文件而不是文件夹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已有同名的文件夹</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已有同名的文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件系统是只读的</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件名或路径太长</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件超出了允许的大小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>磁盘读写出错</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件名无效</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件正被其他程序使用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件夹不是空的</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>不能在不同的磁盘之间移动文件</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>符号链接层数太多</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备不存在</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>系统错误 %1（%2）</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Workbook</name>
    <message>
        <source>无法写入工作簿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>工作簿超出了文件格式允许的大小</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>内存不足，无法写入工作簿</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WorkbookFormat</name>
    <message>
        <source>Excel 工作簿</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Excel文件</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
