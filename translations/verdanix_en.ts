<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>BackEnds</name>
    <message>
        <source>无法创建文件夹：%1</source>
        <translation>Cannot create the folder %1</translation>
    </message>
</context>
<context>
    <name>ComClassFactory</name>
    <message>
        <source>没有注册类</source>
        <translation>Class not registered</translation>
    </message>
    <message>
        <source>无法写入组件文件 %1</source>
        <translation>Cannot write the component file %1</translation>
    </message>
    <message>
        <source>无法加载 %1</source>
        <translation>Cannot load %1</translation>
    </message>
</context>
<context>
    <name>DocumentPage</name>
    <message>
        <source>正在读入文档数据...</source>
        <translation>Reading documents...</translation>
    </message>
    <message>
        <source>视图：%1(%1) 共有文档:%2</source>
        <translation>View: %1 (%1)  Documents: %2</translation>
    </message>
    <message>
        <source>文档ID</source>
        <translation>Document ID</translation>
    </message>
    <message>
        <source>（%1 个文档的列值未能读取）</source>
        <translation> (the column values of %1 documents could not be read)</translation>
    </message>
</context>
<context>
    <name>Domino</name>
    <message>
        <source>不支持此接口</source>
        <translation>No such interface supported</translation>
    </message>
    <message>
        <source>视图没有返回条目集合</source>
        <translation>The view returned no entry collection</translation>
    </message>
    <message>
        <source>Domino 对象没有连接（没有返回对象）</source>
        <translation>The Domino object is not connected (no object was returned)</translation>
    </message>
</context>
<context>
    <name>DominoInterface</name>
    <message>
        <source>找不到您系统上Domino的一个关键组件，请确认您的Domino或NOtes安装正常!</source>
        <translation>A key component of Domino cannot be found on this computer. Please check that Domino or Notes is installed properly! </translation>
    </message>
    <message>
        <source>您好，系统在注册domino组件时失败，或许是您的系统对权限的限制，</source>
        <translation>Registering the Domino component failed, perhaps because your system does not allow it. </translation>
    </message>
    <message>
        <source>(找不到该目录)</source>
        <translation> (folder not found)</translation>
    </message>
    <message>
        <source>没有安装Domino</source>
        <translation>Domino is not installed</translation>
    </message>
</context>
<context>
    <name>Export</name>
    <message>
        <source>无法创建文档的文件夹：</source>
        <translation>the document&apos;s folder could not be made: </translation>
    </message>
    <message>
        <source>域：</source>
        <translation>field: </translation>
    </message>
    <message>
        <source>正在导出数据到%1...</source>
        <translation>Exporting data to %1...</translation>
    </message>
    <message>
        <source>读取附件名出错:</source>
        <translation>Error reading the attachment names: </translation>
    </message>
    <message>
        <source>服务器只给出同名附件中的第一个</source>
        <translation>the server gives only the first of the attachments of this name</translation>
    </message>
    <message>
        <source>文档中没有这个名字的附件</source>
        <translation>the document has no attachment of this name</translation>
    </message>
    <message>
        <source>读取嵌入对象出错:</source>
        <translation>Error reading the embedded objects: </translation>
    </message>
    <message>
        <source>附件文档一个也未能保存（共%1个文件）</source>
        <translation>not one of the attachment files could be saved (%1 in all)</translation>
    </message>
    <message>
        <source>有%1个文件未能保存</source>
        <translation>files not saved: %1</translation>
    </message>
    <message>
        <source>有%1个单元格的内容未能读取</source>
        <translation>cells not read: %1</translation>
    </message>
    <message>
        <source>
%1，它们的清单也无法写入%2：%3</source>
        <translation>
%1; their list could not be written to %2 either: %3</translation>
    </message>
    <message>
        <source>，</source>
        <translation>; </translation>
    </message>
    <message>
        <source>
%1，清单见：%2</source>
        <translation>
%1; see the list: %2</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>读取文档的图片出错:</source>
        <translation>Error reading the document&apos;s pictures: </translation>
    </message>
    <message>
        <source>文档ID	文件名	原因</source>
        <translation>Document ID	File name	Reason</translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>文件夹</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>%1 字节</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>%1 文件</source>
        <translation>%1 File</translation>
    </message>
</context>
<context>
    <name>GeneralError</name>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
</context>
<context>
    <name>ProfileFile</name>
    <message>
        <source>节名或键名中有换行符</source>
        <translation>a section or key name holds a line break</translation>
    </message>
    <message>
        <source>%1 的值中有换行符</source>
        <translation>the value of %1 holds a line break</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>Unable to write to %1</translation>
    </message>
    <message>
        <source>Unable to write to %1: %2</source>
        <translation>Unable to write to %1: %2</translation>
    </message>
</context>
<context>
    <name>Progress</name>
    <message>
        <source>正在导入数据，请稍候...</source>
        <translation>Importing data, please wait...</translation>
    </message>
</context>
<context>
    <name>ReportText</name>
    <message>
        <source>%1: 记录 %2</source>
        <translation>%1: note %2</translation>
    </message>
    <message>
        <source>文件比其文件头所说的短（%1 字节，应为 %2 字节）：文件已被截断，截断处之后的内容丢失，其余内容照常读取</source>
        <translation>the file is shorter than its header says (%1 bytes, not %2): it has been cut off; what stood after the cut is lost, the rest is read as usual</translation>
    </message>
    <message>
        <source>未能读取：%1</source>
        <translation>not read: %1</translation>
    </message>
    <message>
        <source>项 %1 未能读取：%2</source>
        <translation>item %1 not read: %2</translation>
    </message>
    <message>
        <source>项 %1（%2）在 %3 个文档中未导入：%4</source>
        <translation>item %1 (%2) not imported (documents: %3): %4</translation>
    </message>
    <message>
        <source>存储中没有这种值</source>
        <translation>the store has no such value</translation>
    </message>
    <message>
        <source>创建时间不是有效的时间：以导入的时间代替</source>
        <translation>the creation time is not a valid time: the time of the import stands for it</translation>
    </message>
    <message>
        <source>修改时间不是有效的时间：以导入的时间代替</source>
        <translation>the modification time is not a valid time: the time of the import stands for it</translation>
    </message>
    <message>
        <source>项 %1：%2 个字符属于本程序无法转换的字符集，显示为 U+FFFD</source>
        <translation>item %1: characters in a character set this program cannot convert, shown as U+FFFD: %2</translation>
    </message>
    <message>
        <source>项 %1：%2 个值不是数字或时间，未导入</source>
        <translation>item %1: values that are neither numbers nor times, not imported: %2</translation>
    </message>
    <message>
        <source>项 %1：一个不在公元 100 至 9999 年之间的时间未导入</source>
        <translation>item %1: a time outside the years 100 to 9999 was not imported</translation>
    </message>
    <message>
        <source>项 %1：邮件项已损坏，未导入</source>
        <translation>item %1: a damaged mail item, left out</translation>
    </message>
    <message>
        <source>项 %1：RTF 内容已损坏，保留损坏之前的文本</source>
        <translation>item %1: the rich text is damaged; the text before the damage is kept</translation>
    </message>
    <message>
        <source>一个附件未能读取：%1</source>
        <translation>an attachment could not be read: %1</translation>
    </message>
    <message>
        <source>附件 %1（%2 字节）未能读取：%3</source>
        <translation>attachment %1 (size %2 bytes) could not be read: %3</translation>
    </message>
    <message>
        <source>项 %1：MIME 部分的正文（对象 %2）未能读取：%3</source>
        <translation>item %1: the body of a MIME part (object %2) could not be read: %3</translation>
    </message>
    <message>
        <source>文件夹“%1”未导入：其成员列表未能读取：%2</source>
        <translation>folder &quot;%1&quot; not imported: its list of members could not be read: %2</translation>
    </message>
    <message>
        <source>视图“%1”：其选择公式未能读取：所列文档取自其保存的索引（索引可能已过时）</source>
        <translation>view &quot;%1&quot;: its selection formula could not be read: it lists the documents of its stored index (which may be out of date)</translation>
    </message>
    <message>
        <source>视图“%1”：其编译后的选择公式中有本程序不认识的字 %2：所列文档取自其保存的索引（索引可能已过时）</source>
        <translation>view &quot;%1&quot;: its compiled selection formula holds words this program does not know (%2): it lists the documents of its stored index (which may be out of date)</translation>
    </message>
    <message>
        <source>视图“%1”：其编译后的选择公式中有本程序不认识的字 %2：选择除配置文档以外的所有文档</source>
        <translation>view &quot;%1&quot;: its compiled selection formula holds words this program does not know (%2): every document but profile documents is selected</translation>
    </message>
    <message>
        <source>视图“%1”：其选择公式是编译后的形式，导入不能读取：选择除配置文档以外的所有文档</source>
        <translation>view &quot;%1&quot;: its selection is a compiled formula, which the import does not read: every document but profile documents is selected</translation>
    </message>
    <message>
        <source>视图“%1”第 %2 列：其值是编译后的公式，导入不能读取：此列留空</source>
        <translation>view &quot;%1&quot;, column %2: its value is a compiled formula, which the import does not read: the column is left empty</translation>
    </message>
    <message>
        <source>视图“%1”：其列未能读取</source>
        <translation>view &quot;%1&quot;: its columns could not be read</translation>
    </message>
    <message>
        <source>视图“%1”：其列未能读取：%2</source>
        <translation>view &quot;%1&quot;: its columns could not be read: %2</translation>
    </message>
    <message>
        <source>通用 ID %1 无效：文档获得新的通用 ID</source>
        <translation>universal ID %1 is not valid: the document gets a new universal ID</translation>
    </message>
    <message>
        <source>文档 %1 替换了本次导入中先前导入的同一通用 ID 的文档</source>
        <translation>document %1 replaces the document of the same universal ID imported earlier in this import</translation>
    </message>
    <message>
        <source>文档 %1 替换了数据库中已有的同一通用 ID 的文档</source>
        <translation>document %1 replaces the document of the same universal ID already in the database</translation>
    </message>
    <message>
        <source>第二个通用 ID 为 %1 的文档获得新的通用 ID</source>
        <translation>a second document with the universal ID %1 gets a new universal ID</translation>
    </message>
    <message>
        <source>添加了包含所有文档的视图“%1”：导入的视图中没有供浏览的视图</source>
        <translation>added the view &quot;%1&quot; of all documents: none of the imported views is one people browse</translation>
    </message>
    <message>
        <source>%1 至 %2（共 %3 处）: %4</source>
        <translation>%1 to %2 (%3 times): %4</translation>
    </message>
    <message>
        <source>导入了 %1 个文档、%2 个项、%3 个文件对象、%4 张图片、%5 个视图</source>
        <translation>imported: documents %1, items %2, file objects %3, pictures %4, views %5</translation>
    </message>
    <message>
        <source>实体引用 &amp;%1; 在导入读取的内容中没有声明，按原样保留</source>
        <translation>the entity reference &amp;%1; is declared nowhere the import reads, kept as written</translation>
    </message>
    <message>
        <source>RTF 中的实体引用 &amp;%1; 在导入读取的内容中没有声明，按原样保留</source>
        <translation>the entity reference &amp;%1; in rich text is declared nowhere the import reads, kept as written</translation>
    </message>
    <message>
        <source>跳过了 &lt;%1&gt;（不是文档或视图）</source>
        <translation>skipped &lt;%1&gt; (not a document or a view)</translation>
    </message>
    <message>
        <source>文档的创建时间缺失或无效：以导入的时间代替</source>
        <translation>the document&apos;s creation time is missing or not one: the time of the import stands for it</translation>
    </message>
    <message>
        <source>文档的修改时间缺失或无效：以导入的时间代替</source>
        <translation>the document&apos;s modification time is missing or not one: the time of the import stands for it</translation>
    </message>
    <message>
        <source>项 %1：一个不是有限值的数（nan 或 inf），未导入</source>
        <translation>item %1: a number that is not finite (nan or inf), left out</translation>
    </message>
    <message>
        <source>项 %1：一个无效的数，未导入</source>
        <translation>item %1: a number that is none, left out</translation>
    </message>
    <message>
        <source>项 %1：日期时间 %2 无效，未导入</source>
        <translation>item %1: the date-time %2 is not one, left out</translation>
    </message>
    <message>
        <source>项 %1</source>
        <translation>item %1</translation>
    </message>
    <message>
        <source>文件 %1</source>
        <translation>file %1</translation>
    </message>
    <message>
        <source>项 %1：&lt;%2&gt; 不是存储能保存的值，此项未导入</source>
        <translation>item %1: &lt;%2&gt; is not a value the store holds, item left out</translation>
    </message>
    <message>
        <source>项 %1 没有存储认识的值，未导入</source>
        <translation>item %1 holds no value the store knows, left out</translation>
    </message>
    <message>
        <source>视图 %1：其选择公式超出了存储支持的公式，选择所有文档</source>
        <translation>view %1: its selection is beyond the store&apos;s formulas, all documents are selected</translation>
    </message>
    <message>
        <source>视图 %1 第 %2 列：其公式超出了存储支持的公式，此列显示其项</source>
        <translation>view %1, column %2: its formula is beyond the store&apos;s formulas, the column shows its item</translation>
    </message>
    <message>
        <source>视图 %1 第 %2 列：其公式超出了存储支持的公式，此列留空</source>
        <translation>view %1, column %2: its formula is beyond the store&apos;s formulas, left empty</translation>
    </message>
    <message>
        <source>%1:%2:%3：不是 UTF-8 的字节</source>
        <translation>%1:%2:%3: bytes that are not UTF-8</translation>
    </message>
    <message>
        <source>没有要导入的 DXL 文件</source>
        <translation>no DXL files to import</translation>
    </message>
    <message>
        <source>无法复制 %1：%2</source>
        <translation>cannot copy %1: %2</translation>
    </message>
    <message>
        <source>%1：不是 Domino 数据库（开头的字节不是数据库的），也不是 DXL</source>
        <translation>%1: not a Domino database (its first bytes are not a database&apos;s), and no DXL either</translation>
    </message>
    <message>
        <source>无法替换 %1：%2</source>
        <translation>cannot replace %1: %2</translation>
    </message>
    <message>
        <source>%1：文件不存在</source>
        <translation>%1: the file does not exist</translation>
    </message>
    <message>
        <source>无法创建缓存文件夹 %1</source>
        <translation>cannot make the cache folder %1</translation>
    </message>
    <message>
        <source>无法锁定缓存项 %1</source>
        <translation>cannot lock the cache entry %1</translation>
    </message>
    <message>
        <source>无法写入缓存文件夹 %1：%2</source>
        <translation>cannot write to the cache folder %1: %2</translation>
    </message>
    <message>
        <source>%1：其中可能是文档的 %2 个记录一个也不能读取</source>
        <translation>%1: not one of the notes that could be documents can be read (%2 in all)</translation>
    </message>
    <message>
        <source>文档中没有这个名字的附件</source>
        <translation>the document has no attachment of that name</translation>
    </message>
    <message>
        <source>它没有保存的索引</source>
        <translation>it has no stored index</translation>
    </message>
    <message>
        <source>它没有成员列表</source>
        <translation>it has no list of members</translation>
    </message>
    <message>
        <source>%1：不是 base64 的字符已丢弃</source>
        <translation>%1: characters that are not base64 were dropped</translation>
    </message>
    <message>
        <source>嵌入对象的 %1 个存储部分随对象保留，不作为附件</source>
        <translation>storage parts of embedded objects kept with the objects, not as attachments: %1</translation>
    </message>
    <message>
        <source>项 %1：%2 张图片（%3）未保留（只保留 GIF 和 JPEG 图片）</source>
        <translation>item %1: %3 pictures not kept (only GIF and JPEG pictures are kept): %2</translation>
    </message>
    <message>
        <source>视图没有名称：以“%1”列出</source>
        <translation>the view has no name: listed as “%1”</translation>
    </message>
    <message>
        <source>其中没有文档：它的 %1 个文档都已删除（只留下删除标记）</source>
        <translation>it holds no documents: its %1 documents were all deleted (only their deletion stubs are left)</translation>
    </message>
    <message>
        <source>%1：其记录列表（RRV 表）未能读取，一个文档也没有读到</source>
        <translation>%1: its list of notes (the RRV table) could not be read, and not one document was read</translation>
    </message>
    <message>
        <source>%1（不完整）</source>
        <translation>%1 (incomplete)</translation>
    </message>
    <message>
        <source>已清除上次中断的导入留在目标旁的工作副本</source>
        <translation>cleared the working copy an interrupted import left beside the target</translation>
    </message>
    <message>
        <source>目标 %1 没有以数据库的扩展名（.nsf）命名</source>
        <translation>the target %1 is not named as a database (.nsf)</translation>
    </message>
    <message>
        <source>目标 %1 不是数据库文件</source>
        <translation>the target %1 is not a database file</translation>
    </message>
    <message>
        <source>目标 %1 已存在，但不是存储数据库：保持原样</source>
        <translation>the target %1 is there and is not a store database: it is left alone</translation>
    </message>
</context>
<context>
    <name>SystemError</name>
    <message>
        <source>没有权限</source>
        <translation>permission denied</translation>
    </message>
    <message>
        <source>文件或文件夹不存在</source>
        <translation>no such file or folder</translation>
    </message>
    <message>
        <source>路径中有一级是文件而不是文件夹</source>
        <translation>a part of the path is a file, not a folder</translation>
    </message>
    <message>
        <source>已有同名的文件夹</source>
        <translation>a folder of that name exists</translation>
    </message>
    <message>
        <source>已有同名的文件</source>
        <translation>a file of that name exists</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件系统是只读的</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>文件名或路径太长</source>
        <translation>the file name or path is too long</translation>
    </message>
    <message>
        <source>文件超出了允许的大小</source>
        <translation>the file is larger than allowed</translation>
    </message>
    <message>
        <source>打开的文件太多</source>
        <translation>too many open files</translation>
    </message>
    <message>
        <source>磁盘读写出错</source>
        <translation>disk read or write error</translation>
    </message>
    <message>
        <source>文件名无效</source>
        <translation>the file name is not valid</translation>
    </message>
    <message>
        <source>文件正被其他程序使用</source>
        <translation>the file is in use by another program</translation>
    </message>
    <message>
        <source>文件夹不是空的</source>
        <translation>the folder is not empty</translation>
    </message>
    <message>
        <source>不能在不同的磁盘之间移动文件</source>
        <translation>a file cannot be moved from one disk to another</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>符号链接层数太多</source>
        <translation>too many levels of symbolic links</translation>
    </message>
    <message>
        <source>设备不存在</source>
        <translation>no such device</translation>
    </message>
    <message>
        <source>超出了磁盘配额</source>
        <translation>disk quota exceeded</translation>
    </message>
    <message>
        <source>系统错误 %1（%2）</source>
        <translation>system error %1 (%2)</translation>
    </message>
</context>
<context>
    <name>TfrmAbout</name>
    <message>
        <source>关于</source>
        <translation>About Verdanix</translation>
    </message>
    <message>
        <source>Domino 数据库浏览与导出工具</source>
        <translation>Domino database browser and exporter</translation>
    </message>
    <message>
        <source>开发：Verdanix 开发组</source>
        <translation>Developed by the Verdanix team</translation>
    </message>
    <message>
        <source>技术支持：support@verdanix.com</source>
        <translation>Support: support@verdanix.com</translation>
    </message>
    <message>
        <source>版权所有 © 2026 Verdanix</source>
        <translation>Copyright © 2026 Verdanix</translation>
    </message>
    <message>
        <source>确       定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>正在连接Domino服务器</source>
        <translation>Connecting to the Domino server</translation>
    </message>
    <message>
        <source>NSF文件|*.nsf</source>
        <translation>NSF Files|*.nsf</translation>
    </message>
    <message>
        <source>文件%1正在被其它程序锁定，无法打开!</source>
        <translation>The file %1 is locked by another program and cannot be opened!</translation>
    </message>
    <message>
        <source>对不起，该功能暂时尚未提供!</source>
        <translation>Sorry, this feature is not available yet!</translation>
    </message>
    <message>
        <source>Verdanix Domino 数据浏览与导出</source>
        <translation>Verdanix Domino Browser and Exporter</translation>
    </message>
    <message>
        <source>退出系统</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>连接服务器</source>
        <translation>Connect to Server</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>导出数据</source>
        <translation>Export Data</translation>
    </message>
    <message>
        <source>导入数据</source>
        <translation>Import Data</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>文   件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>工   具</source>
        <translation>Tools</translation>
    </message>
    <message>
        <source>关  于</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>连接Domino服务器</source>
        <translation>Connect to a Domino server</translation>
    </message>
    <message>
        <source>打开独立的NSF文件</source>
        <translation>Open a standalone NSF file</translation>
    </message>
    <message>
        <source>导出数据到Excel文件，并导出附件和RTF域图片</source>
        <translation>Export the view to an Excel workbook, with its attachments and rich-text pictures</translation>
    </message>
    <message>
        <source>文档详情</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>查看选中文档的所有域和值</source>
        <translation>Show every field and value of the selected document</translation>
    </message>
    <message>
        <source>首页</source>
        <translation>First</translation>
    </message>
    <message>
        <source>上一页</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>下一页</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>尾页</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>对不起，Quarrix要求运行的电脑上已经安装过Domino客户端或服务器端软件!请安装Domino环境后再运行本系统!</source>
        <translation>Sorry, Quarrix needs the Domino client or server software on this computer! Please install Domino, then start this program again!</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>您要退出Verdanix么?</source>
        <translation>Do you want to exit Verdanix?</translation>
    </message>
    <message>
        <source>界面语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文 (Chinese)</translation>
    </message>
    <message>
        <source>界面语言已设为英文，重新启动 Verdanix 后生效。</source>
        <translation>The interface language is set to English; it takes effect when Verdanix is started again.</translation>
    </message>
    <message>
        <source>界面语言已设为中文，重新启动 Verdanix 后生效。</source>
        <translation>The interface language is set to Chinese; it takes effect when Verdanix is started again.</translation>
    </message>
    <message>
        <source>连接服务器</source>
        <comment>toolbar</comment>
        <translation>Connect</translation>
    </message>
    <message>
        <source>导出数据</source>
        <comment>toolbar</comment>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>TfrmdocDetail</name>
    <message>
        <source>文档详细资料</source>
        <translation>Document Details</translation>
    </message>
    <message>
        <source>文档域名</source>
        <translation>Field</translation>
    </message>
    <message>
        <source>域值</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>确   定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>Tfrmselserver</name>
    <message>
        <source>连接服务器</source>
        <translation>Connect to Server</translation>
    </message>
    <message>
        <source>选项</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>服务器名：</source>
        <translation>Server:</translation>
    </message>
    <message>
        <source>登录名：</source>
        <translation>User name:</translation>
    </message>
    <message>
        <source>用户密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>确  定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取  消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>服务器名不能为空</source>
        <translation>Please enter the server&apos;s name</translation>
    </message>
    <message>
        <source>登录用名不能为空</source>
        <translation>Please enter the user name</translation>
    </message>
</context>
<context>
    <name>Variant</name>
    <message>
        <source>参数无效：日期时间值超出了范围</source>
        <translation>Invalid argument: the date-time value is out of range</translation>
    </message>
    <message>
        <source>无法把数组类型的值转换为文本</source>
        <translation>Could not convert variant of type (Array) into type (String)</translation>
    </message>
</context>
<context>
    <name>WholeFile</name>
    <message>
        <source>%1；文件也未能恢复原样</source>
        <translation>%1; the file could not be restored either</translation>
    </message>
    <message>
        <source>%1；文件也未能恢复原样（%2）</source>
        <translation>%1; the file could not be restored either (%2)</translation>
    </message>
</context>
<context>
    <name>Workbook</name>
    <message>
        <source>无法写入工作簿</source>
        <translation>the workbook cannot be written</translation>
    </message>
    <message>
        <source>工作簿超出了文件格式允许的大小</source>
        <translation>the workbook is larger than its file format allows</translation>
    </message>
    <message>
        <source>内存不足，无法写入工作簿</source>
        <translation>out of memory: the workbook cannot be written</translation>
    </message>
</context>
<context>
    <name>WorkbookFormat</name>
    <message>
        <source>Excel 工作簿</source>
        <translation>Excel Workbook</translation>
    </message>
    <message>
        <source>Excel文件</source>
        <translation>Excel 97-2003 Workbook</translation>
    </message>
</context>
<context>
    <name>app_text</name>
    <message>
        <source>连接服务器失败!</source>
        <translation>Could not connect to the server!</translation>
    </message>
    <message>
        <source>访问数据库出错：</source>
        <translation>Error opening the database: </translation>
    </message>
    <message>
        <source>读取数据出错:</source>
        <translation>Error reading the data: </translation>
    </message>
    <message>
        <source>连接视图出错:</source>
        <translation>Error opening the view: </translation>
    </message>
    <message>
        <source>连接文档出错:</source>
        <translation>Error opening the document: </translation>
    </message>
    <message>
        <source>文件已存在!</source>
        <translation> already exists!</translation>
    </message>
    <message>
        <source>当前没有可导出的内容</source>
        <translation>There is nothing to export</translation>
    </message>
    <message>
        <source>请确认您电脑上是否安装了EXCEL！</source>
        <translation>Please check that Excel is installed on this computer!</translation>
    </message>
    <message>
        <source>正在读取数据库文件，请稍候...</source>
        <translation>Reading the database file, please wait...</translation>
    </message>
    <message>
        <source>数据库文件中有%1项内容未能读取或已简化，清单见：%2</source>
        <translation>Things in the database file not read or simplified: %1; see the list: %2</translation>
    </message>
    <message>
        <source>您好，数据导出完成，导出的附件文档存放在Excel文件的同一目录下，文件夹名为：</source>
        <translation>The export is complete. The attachments are in a folder beside the Excel file: </translation>
    </message>
    <message>
        <source>您好，数据导出完成，Excel文件为：</source>
        <translation>The export is complete. The Excel file: </translation>
    </message>
    <message>
        <source>Excel文件未能保存：%1
原因：%2</source>
        <translation>The Excel file could not be saved: %1
Reason: %2</translation>
    </message>
    <message>
        <source>请与软件供应商联系：Verdanix 技术支持，support@verdanix.com。</source>
        <translation>Please contact the supplier: Verdanix Support, support@verdanix.com.</translation>
    </message>
</context>
<context>
    <name>docDetail</name>
    <message>
        <source>下标越界</source>
        <translation>Subscript out of range</translation>
    </message>
</context>
<context>
    <name>notes_text</name>
    <message>
        <source>文件不存在</source>
        <translation>File does not exist</translation>
    </message>
    <message>
        <source>文件不是数据库</source>
        <translation>File is not a database</translation>
    </message>
    <message>
        <source>无效的通用 ID</source>
        <translation>Invalid universal ID</translation>
    </message>
    <message>
        <source>服务器没有响应。服务器可能已关闭，或者您遇到了网络问题。如果此问题仍然存在，请与系统管理员联系。</source>
        <translation>Server not responding. The server may be down or you may be experiencing network problems. Contact your system administrator if this problem persists.</translation>
    </message>
    <message>
        <source>会话尚未初始化</source>
        <translation>The session has not been initialized</translation>
    </message>
    <message>
        <source>您无权访问该数据库</source>
        <translation>You are not authorized to access that database</translation>
    </message>
    <message>
        <source>内存不足</source>
        <translation>Insufficient memory</translation>
    </message>
    <message>
        <source>该文档不属于此视图的数据库</source>
        <translation>The document is not from this view&apos;s database</translation>
    </message>
    <message>
        <source>在索引中找不到该条目</source>
        <translation>Entry not found in index</translation>
    </message>
    <message>
        <source>需要本服务器的文档</source>
        <translation>A document of this server is required</translation>
    </message>
    <message>
        <source>此服务器不允许匿名访问</source>
        <translation>This server does not allow anonymous access</translation>
    </message>
    <message>
        <source>密码错误。（密码区分大小写，请注意大小写是否正确。）</source>
        <translation>Wrong password. (Passwords are case sensitive: check upper and lower case.)</translation>
    </message>
    <message>
        <source>notes.ini 未指定数据目录（Directory=）</source>
        <translation>notes.ini names no data folder (Directory=)</translation>
    </message>
    <message>
        <source>无法读取数据库：%1</source>
        <translation>Cannot read the database: %1</translation>
    </message>
    <message>
        <source>公式错误：%1</source>
        <translation>Formula error: %1</translation>
    </message>
    <message>
        <source>无法写入文件：%1</source>
        <translation>Cannot write the file: %1</translation>
    </message>
    <message>
        <source>找不到视图：%1</source>
        <translation>View not found: %1</translation>
    </message>
    <message>
        <source>无法打开 Domino 目录：%1</source>
        <translation>Cannot open the Domino Directory: %1</translation>
    </message>
    <message>
        <source>Domino 目录中没有用户 %1</source>
        <translation>The Domino Directory lists no user %1</translation>
    </message>
    <message>
        <source>名称 %1 与 Domino 目录中的多个人员相符</source>
        <translation>The name %1 matches more than one person in the Domino Directory</translation>
    </message>
    <message>
        <source>在 %1 中找不到 notes.ini</source>
        <translation>No notes.ini in %1</translation>
    </message>
    <message>
        <source>新数据库未能放到 %1 处：%2</source>
        <translation>cannot put the new database in place at %1: %2</translation>
    </message>
</context>
<context>
    <name>nsf_reason</name>
    <message>
        <source>文件头</source>
        <translation>the file header</translation>
    </message>
    <message>
        <source>超级块</source>
        <translation>the superblock</translation>
    </message>
    <message>
        <source>桶描述符块</source>
        <translation>the bucket descriptor block</translation>
    </message>
    <message>
        <source>摘要桶描述符页</source>
        <translation>a page of summary bucket descriptors</translation>
    </message>
    <message>
        <source>RRV 桶</source>
        <translation>an RRV bucket</translation>
    </message>
    <message>
        <source>摘要桶</source>
        <translation>a summary bucket</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>a note</translation>
    </message>
    <message>
        <source>非摘要块</source>
        <translation>a non-summary block</translation>
    </message>
    <message>
        <source>对象记录区</source>
        <translation>an object record</translation>
    </message>
    <message>
        <source>视图索引页</source>
        <translation>a page of a view index</translation>
    </message>
    <message>
        <source>（位于 %1）</source>
        <translation> at %1</translation>
    </message>
    <message>
        <source>（位于非摘要桶 %2 的槽 %1）</source>
        <translation> in slot %1 of non-summary bucket %2</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>结构提前结束：偏移 %2 处的 %1 字节超出了全部 %3 字节</source>
        <translation>a structure ends early: %1 bytes at offset %2 of %3</translation>
    </message>
    <message>
        <source>压缩数据提前结束</source>
        <translation>compressed data ends early</translation>
    </message>
    <message>
        <source>压缩数据中有不可能出现的长度码</source>
        <translation>compressed data holds an impossible length code</translation>
    </message>
    <message>
        <source>压缩数据为空</source>
        <translation>compressed data is empty</translation>
    </message>
    <message>
        <source>压缩数据的模式 %1 未知</source>
        <translation>compressed data of unknown mode %1</translation>
    </message>
    <message>
        <source>压缩数据引用了其起点之前的位置</source>
        <translation>compressed data refers back before its start</translation>
    </message>
    <message>
        <source>%1（位于 %2，%3 字节）超出了文件末尾（文件共 %4 字节）</source>
        <translation>%1 at %2 (%3 bytes) lies beyond the end of the file (%4 bytes)</translation>
    </message>
    <message>
        <source>无法读取%1（位于 %2）：%3</source>
        <translation>cannot read %1 at %2: %3</translation>
    </message>
    <message>
        <source>文件太短，不可能是数据库（%1 字节）</source>
        <translation>the file is too short for a database (%1 bytes)</translation>
    </message>
    <message>
        <source>文件不是 Domino 数据库（没有数据库签名）</source>
        <translation>the file is not a Domino database (no database signature)</translation>
    </message>
    <message>
        <source>没有签名</source>
        <translation>no signature</translation>
    </message>
    <message>
        <source>没有可以读取的超级块</source>
        <translation>no superblock can be read</translation>
    </message>
    <message>
        <source>没有可以读取的桶描述符块</source>
        <translation>no bucket descriptor block can be read</translation>
    </message>
    <message>
        <source>%1 处没有摘要桶描述符页</source>
        <translation>no page of summary bucket descriptors at %1</translation>
    </message>
    <message>
        <source>%1列出的桶和名称多于其所容纳的</source>
        <translation>%1 lists more buckets and names than it holds</translation>
    </message>
    <message>
        <source>文件头中的 RRV 桶大小（%1）无效</source>
        <translation>the RRV bucket size in the header (%1) is not one</translation>
    </message>
    <message>
        <source>RRV 桶%1：%2</source>
        <translation>the RRV bucket%1: %2</translation>
    </message>
    <message>
        <source>%1 处没有摘要桶</source>
        <translation>no summary bucket at %1</translation>
    </message>
    <message>
        <source>摘要桶%1声称有 %2 字节</source>
        <translation>the summary bucket%1 claims %2 bytes</translation>
    </message>
    <message>
        <source>摘要桶%1：%2</source>
        <translation>the summary bucket%1: %2</translation>
    </message>
    <message>
        <source>槽的数量超出了可用空间</source>
        <translation>more slots than room</translation>
    </message>
    <message>
        <source>桶 %1 不在 %2 个桶的列表中</source>
        <translation>bucket %1 is not in the list of %2</translation>
    </message>
    <message>
        <source>桶 %2 中没有槽 %1</source>
        <translation>slot %1 of bucket %2 is not there</translation>
    </message>
    <message>
        <source>桶 %2 的槽 %1 为空</source>
        <translation>slot %1 of bucket %2 is empty</translation>
    </message>
    <message>
        <source>%1 处没有记录</source>
        <translation>no note at %1</translation>
    </message>
    <message>
        <source>记录区没有签名</source>
        <translation>the note record has no signature</translation>
    </message>
    <message>
        <source>记录区的大小（%1）与其 %2 字节不符</source>
        <translation>the note record&apos;s size (%1) does not fit its %2 bytes</translation>
    </message>
    <message>
        <source>该处的记录区属于记录 %1</source>
        <translation>the record there is the one of note %1</translation>
    </message>
    <message>
        <source>记录的 %1 个项超出了其记录区</source>
        <translation>the note&apos;s %1 items do not fit its record</translation>
    </message>
    <message>
        <source>非摘要桶：%1</source>
        <translation>non-summary %1</translation>
    </message>
    <message>
        <source>没有非摘要块%1</source>
        <translation>no non-summary block%1</translation>
    </message>
    <message>
        <source>非摘要块%1声称有 %2 字节</source>
        <translation>the non-summary block%1 claims %2 bytes</translation>
    </message>
    <message>
        <source>各项的大小与记录区不符：不保留任何值</source>
        <translation>the sizes of its items do not add up to its record: no value is kept</translation>
    </message>
    <message>
        <source>各项的大小与记录区不符，且有不止一种读法能使之相符：不保留任何值</source>
        <translation>the sizes of its items do not add up to its record, and more than one reading would make them: no value is kept</translation>
    </message>
    <message>
        <source>其对象 %1 不在任何 RRV 桶中</source>
        <translation>its object %1 is in no RRV bucket</translation>
    </message>
    <message>
        <source>其对象 %1 不在文件位置上</source>
        <translation>its object %1 is not at a file position</translation>
    </message>
    <message>
        <source>%1 处没有对象记录区</source>
        <translation>no object record at %1</translation>
    </message>
    <message>
        <source>对象记录区%1声称有 %2 字节</source>
        <translation>the object record%1 claims %2 bytes</translation>
    </message>
    <message>
        <source>其存储的字节与记录区的 SHA-1 标记不符</source>
        <translation>its stored bytes do not match the SHA-1 tag of their record</translation>
    </message>
    <message>
        <source>其对象有 %1 字节，而不是 %2 字节</source>
        <translation>its object holds %1 bytes, not %2</translation>
    </message>
    <message>
        <source>以 LZ1 压缩，声称有 %1 字节</source>
        <translation>it is compressed with LZ1 and claims %1 bytes</translation>
    </message>
    <message>
        <source>以 LZ1 压缩，本程序无法解码（%1）</source>
        <translation>it is compressed with LZ1, which this reader cannot decode (%1)</translation>
    </message>
    <message>
        <source>以本程序不认识的方式压缩（方法 %1）</source>
        <translation>it is compressed in a way this reader does not know (method %1)</translation>
    </message>
    <message>
        <source>其 Huffman 编码树（%1 字节）无效</source>
        <translation>its Huffman code tree (%1 bytes) is not one</translation>
    </message>
    <message>
        <source>其 Huffman 数据流太短，解不出 %1 字节</source>
        <translation>its Huffman stream is too short for %1 bytes</translation>
    </message>
    <message>
        <source>其 Huffman 编码树指向不存在的节点</source>
        <translation>its Huffman code tree names a node it does not have</translation>
    </message>
    <message>
        <source>其 Huffman 编码树中有环</source>
        <translation>its Huffman code tree has a loop</translation>
    </message>
    <message>
        <source>解码得到 %1 字节，而不是 %2 字节</source>
        <translation>it decodes to %1 bytes, not %2</translation>
    </message>
    <message>
        <source>解码得到的内容超过 %1 字节</source>
        <translation>it decodes to more than %1 bytes</translation>
    </message>
    <message>
        <source>其字节之和与校验和不符</source>
        <translation>the sum of its bytes does not match its checksum</translation>
    </message>
    <message>
        <source>其 Huffman 数据流在结束码之前就结束了（已解码 %1 字节）</source>
        <translation>its Huffman stream ends without its end (%1 bytes decoded)</translation>
    </message>
    <message>
        <source>用户名不是纯文本：布局不同</source>
        <translation>the user name is not plain text: its layout is another</translation>
    </message>
    <message>
        <source>不读取 %1 类型的值</source>
        <translation>values of type %1 are not read</translation>
    </message>
    <message>
        <source>文件对象没有名称</source>
        <translation>the file object has no name</translation>
    </message>
    <message>
        <source>文件对象的名称不是纯文本：布局不同</source>
        <translation>the file object&apos;s name is not plain text: its layout is another</translation>
    </message>
    <message>
        <source>MIME 部分的边界和头部大于该部分本身</source>
        <translation>the MIME part&apos;s boundary and headers are larger than the part</translation>
    </message>
    <message>
        <source>编译后公式中的一条记录超出了公式</source>
        <translation>a record of the compiled formula does not fit it</translation>
    </message>
    <message>
        <source>其索引指向第 %1 页，而索引共 %2 页</source>
        <translation>its index names page %1 of %2</translation>
    </message>
    <message>
        <source>其索引的第 %1 页%2无效</source>
        <translation>page %1 of its index is not one%2</translation>
    </message>
    <message>
        <source>其记录 ID 树不止一层，本程序不读取这样的树</source>
        <translation>its note-id tree has more than one level, which this reader does not read</translation>
    </message>
    <message>
        <source>找不到其记录 ID 树的主体（%1 个条目）</source>
        <translation>the body of its note-id tree (%1 entries) is not found</translation>
    </message>
    <message>
        <source>其索引没有记录 ID 树</source>
        <translation>its index has no note-id tree</translation>
    </message>
    <message>
        <source>磁盘结构版本 %1 是本程序未经检验的版本：读出的内容可能不完整</source>
        <translation>on-disk structure %1 is one this reader has not been checked on: what it reads may be incomplete</translation>
    </message>
    <message>
        <source>%1：它所列的、从 %2 起的记录未读取</source>
        <translation>%1: the notes from id %2 that it lists are not read</translation>
    </message>
    <message>
        <source>RRV 表所列的记录多于文件能容纳的：从 %1 起的记录未读取</source>
        <translation>the RRV table lists more notes than the file can hold: the notes from id %1 on are not read</translation>
    </message>
    <message>
        <source>其记录区带有编号 %1，没有其他记录使用这个编号</source>
        <translation>its record carries the number %1, which no other note has</translation>
    </message>
    <message>
        <source>其名称（编号 %1）不在名称表中</source>
        <translation>its name (number %1) is not in the name table</translation>
    </message>
    <message>
        <source>%1 的摘要标志与其项的大小不符：按大小读取</source>
        <translation>the summary flag of %1 does not agree with the sizes of its items: read as the sizes say</translation>
    </message>
    <message>
        <source>非摘要值未读取：%1</source>
        <translation>non-summary value not read: %1</translation>
    </message>
    <message>
        <source>它已加密</source>
        <translation>it is encrypted</translation>
    </message>
    <message>
        <source>图像</source>
        <translation>image</translation>
    </message>
    <message>
        <source>Windows 图元文件</source>
        <translation>Windows metafile</translation>
    </message>
    <message>
        <source>Notes 位图</source>
        <translation>Notes bitmap</translation>
    </message>
    <message>
        <source>图片</source>
        <translation>picture</translation>
    </message>
    <message>
        <source>压缩数据展开后超过 %1 字节</source>
        <translation>compressed data expands to more than %1 bytes</translation>
    </message>
    <message>
        <source>压缩数据展开为 %1 字节，应为 %2 字节</source>
        <translation>compressed data expands to %1 bytes where %2 are stated</translation>
    </message>
    <message>
        <source>声称由 %2 字节展开为 %1 字节</source>
        <translation>claims %1 bytes from %2</translation>
    </message>
    <message>
        <source>存储大小 %1 字节不可能</source>
        <translation>its stored size of %1 bytes is impossible</translation>
    </message>
    <message>
        <source>第 %1 段</source>
        <translation>piece %1</translation>
    </message>
    <message>
        <source>各段展开为 %1 字节，块头声明 %2 字节</source>
        <translation>its pieces expand to %1 bytes where its header states %2</translation>
    </message>
    <message>
        <source>第 %1 段（%2 字节）超出了块的范围</source>
        <translation>piece %1 (%2 bytes) runs past the block</translation>
    </message>
    <message>
        <source>各段结束于偏移 %1，而尾部始于偏移 %2</source>
        <translation>its pieces end at offset %1 but its trailer starts at %2</translation>
    </message>
    <message>
        <source>尾部的时间与块头的不同</source>
        <translation>the time in its trailer differs from its header’s</translation>
    </message>
    <message>
        <source>尾部的校验和 %1 与各段的 %2 不符</source>
        <translation>the checksum in its trailer, %1, does not match its pieces’ %2</translation>
    </message>
    <message>
        <source>块头的校验和不符</source>
        <translation>its header’s checksum does not match</translation>
    </message>
    <message>
        <source>所列的桶位于文件之外（%1）</source>
        <translation>it lists a bucket outside the file (%1)</translation>
    </message>
    <message>
        <source>较新的副本已损坏（%1）：读取的是%2（写入次数 %3）</source>
        <translation>a newer copy is damaged (%1): %2 (write count %3) was read</translation>
    </message>
    <message>
        <source>它所在的桶%2的第 %1 个扇区带有与桶不同的标记（该扇区已损坏）</source>
        <translation>sector %1 of its bucket%2 does not carry the bucket’s stamp (the sector is damaged)</translation>
    </message>
    <message>
        <source>压缩值只有 %1 字节</source>
        <translation>its compressed value has only %1 bytes</translation>
    </message>
    <message>
        <source>压缩值未能展开：%1</source>
        <translation>its compressed value cannot be expanded: %1</translation>
    </message>
    <message>
        <source>块头所列的内容与块体不符</source>
        <translation>what its header lists does not fit its body</translation>
    </message>
    <message>
        <source>块体中没有它所声明的当前 RRV 桶</source>
        <translation>its body lacks the current RRV bucket its header declares</translation>
    </message>
</context>
<context>
    <name>nsftool</name>
    <message>
        <source>用法：</source>
        <translation>usage:</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>cannot read %1: %2</translation>
    </message>
    <message>
        <source>已创建 %1：%2 个文档，用时 %3 秒</source>
        <translation>created %1: %2 documents in %3 s</translation>
    </message>
    <message>
        <source>演示安装已建好：%1 个数据库，%2 个文档</source>
        <translation>demo installation built: %1 databases, %2 documents</translation>
    </message>
    <message>
        <source>演示安装已完整，无需再做（--force 重建）</source>
        <translation>demo installation is complete; nothing to do (--force rebuilds it)</translation>
    </message>
    <message>
        <source>导入到 %1，用时 %2 秒</source>
        <translation>into %1 in %2 s</translation>
    </message>
</context>
<context>
    <name>verdanix-export</name>
    <message>
        <source>%1 篇/秒，还剩 %2</source>
        <translation>%1 docs/s, %2 left</translation>
    </message>
    <message>
        <source>%1：%2%（%3/%4 篇文档）</source>
        <translation>%1: %2% (%3/%4 documents)</translation>
    </message>
    <message>
        <source>请指定数据库（--database）或文件（--file）</source>
        <translation>name a database (--database) or a file (--file)</translation>
    </message>
    <message>
        <source>请指定视图（--view），或使用 --all-views</source>
        <translation>name a view (--view) or ask for --all-views</translation>
    </message>
    <message>
        <source>--format 只能是以下之一：%1</source>
        <translation>--format is one of: %1</translation>
    </message>
    <message>
        <source>请指定输出（--output）</source>
        <translation>name the output (--output)</translation>
    </message>
    <message>
        <source>正在读取数据库文件 %1 ...</source>
        <translation>reading the Domino database file %1 ...</translation>
    </message>
    <message>
        <source>无法创建输出文件夹：%1</source>
        <translation>the output folder cannot be made: %1</translation>
    </message>
    <message>
        <source>输出文件夹不存在：%1</source>
        <translation>the output folder does not exist: %1</translation>
    </message>
    <message>
        <source>输出文件夹不能写入：%1</source>
        <translation>the output folder cannot be written: %1</translation>
    </message>
    <message>
        <source>无法读取密码文件 %1</source>
        <translation>cannot read the password file %1</translation>
    </message>
    <message>
        <source>没有数据文件夹（--data-dir）%1</source>
        <translation>no data folder (--data-dir) %1</translation>
    </message>
    <message>
        <source>已中止：%1 保持原样（新的工作簿没有完成）；已写出的附件在 %2</source>
        <translation>stopped: %1 was kept as it was (the new workbook was not finished); attachments written so far are in %2</translation>
    </message>
    <message>
        <source>已中止：未完成的 %1 已删除；已写出的附件在 %2</source>
        <translation>stopped: the unfinished %1 was removed; attachments written so far are in %2</translation>
    </message>
    <message>
        <source>无法替换 %1（它保持原样）：%2</source>
        <translation>cannot replace %1 (it was kept as it was): %2</translation>
    </message>
    <message>
        <source>有 %1 个文件未能保存，%2 个单元格的内容未能读取；清单见：%3</source>
        <translation>files not saved: %1, cells not read: %2; their list: %3</translation>
    </message>
    <message>
        <source>（未能写入）</source>
        <translation>(could not be written)</translation>
    </message>
    <message>
        <source>把 Domino 数据库的视图导出为 .xls 或 .xlsx 工作簿，文档的附件、嵌入对象和 RTF 域图片保存在工作簿旁边的文件夹中，与 Verdanix 窗口程序的导出相同。</source>
        <translation>Exports views of a Domino database to .xls or .xlsx workbooks, with the attachments, embedded objects and rich-text pictures of their documents in folders beside them, as the Verdanix window does.</translation>
    </message>
    <message>
        <source>安装的程序文件夹（默认：已注册的那个）。</source>
        <translation>The installation&apos;s program folder (default: the registered one).</translation>
    </message>
    <message>
        <source>服务器名。</source>
        <translation>The server&apos;s name.</translation>
    </message>
    <message>
        <source>登录用的用户名。</source>
        <translation>The user name to log on with.</translation>
    </message>
    <message>
        <source>第一行为密码的文件（否则从标准输入读取）。</source>
        <translation>A file whose first line is the password (else standard input).</translation>
    </message>
    <message>
        <source>本地的 .nsf 文件，代替服务器上的数据库。</source>
        <translation>A local .nsf file instead of a database on the server.</translation>
    </message>
    <message>
        <source>数据库在服务器数据文件夹中的路径（例如 mail\a.nsf）。</source>
        <translation>The database&apos;s path in the server&apos;s data folder (such as mail\a.nsf).</translation>
    </message>
    <message>
        <source>要导出的视图；可以给出多次。</source>
        <translation>A view to export; may be given several times.</translation>
    </message>
    <message>
        <source>所有供浏览的视图（名称中没有“$”的视图）。</source>
        <translation>Every view people browse (no &quot;$&quot; in the name).</translation>
    </message>
    <message>
        <source>工作簿（一个视图时；以 .xlsx 结尾则写 .xlsx），或每个视图一个工作簿时的文件夹。</source>
        <translation>The workbook (one view; .xlsx at its end writes .xlsx) or the folder for one workbook per view.</translation>
    </message>
    <message>
        <source>xls（默认）或 xlsx：名称中没有指明格式的工作簿的格式。</source>
        <translation>xls (the default) or xlsx: the format of workbooks whose names do not say it.</translation>
    </message>
    <message>
        <source>替换已有的工作簿（在新的工作簿完成之后）。</source>
        <translation>Replace existing workbooks (once the new one is complete).</translation>
    </message>
    <message>
        <source>列出数据文件夹中的数据库，每行一个。</source>
        <translation>Print the databases of the data folder, one per line.</translation>
    </message>
    <message>
        <source>--list-databases 使用的数据文件夹（默认：已注册的那个）。</source>
        <translation>The data folder for --list-databases (default: the registered one).</translation>
    </message>
    <message>
        <source>列出数据库的视图，每行一个。</source>
        <translation>Print the database&apos;s views, one per line.</translation>
    </message>
    <message>
        <source>界面语言：zh（中文，默认）或 en（英文）；默认取设置文件中的选择。</source>
        <translation>The interface language: zh (Chinese, the default) or en (English); without it, the one chosen in the settings file.</translation>
    </message>
    <message>
        <source>不在标准错误输出上显示进度。</source>
        <translation>No progress on standard error.</translation>
    </message>
    <message>
        <source>--language 只能是 zh 或 en</source>
        <translation>--language is zh or en</translation>
    </message>
    <message>
        <source>多余的参数：%1</source>
        <translation>unexpected arguments: %1</translation>
    </message>
    <message>
        <source>
退出状态：0 全部导出成功；1 有导出失败；2 参数有误（包括输出文件夹不存在或不能写入）；
3 登录失败；4 数据库或视图不存在；5 输出文件已存在（见 --overwrite）；6 导出已完成，
但有附件、嵌入对象、图片或长文本未能保存，或有单元格的内容未能读取（最后几行给出清单）；
7 导出已完成，但 --file 给出的数据库文件有内容未能读取或已简化（读取文件时给出清单的位置）；
130 被 Ctrl-C 中止。没有文档的视图导出为只有标题行的工作簿，不算失败。

Ctrl-C 立即中止导出：正在写入的工作簿被删除（不留下写了一半的文件；使用 --overwrite 时
原来的工作簿保持原样），已导出文档的附件文件夹保留，最后一行给出它们的位置。

安装位置与窗口程序的找法相同（注册表，或设置文件夹中的 registry.reg）；也可以用
--program-dir 指定。密码从 --password-file 读取；给出用户名而没有密码文件时，
从标准输入的第一行读取。</source>
        <translation>
Exit status: 0 every export succeeded; 1 an export failed; 2 bad arguments (a missing or
unwritable output folder among them); 3 the log-on failed; 4 the database or a view does not
exist; 5 an output file exists (see --overwrite); 6 the exports completed but some attachments,
objects, pictures or long texts could not be saved, or some cells could not be read (the last
lines name the list of them); 7 the exports completed but the database file --file names was
read with losses (the list is named when the file is read); 130 stopped by Ctrl-C. A view
without documents is exported as a workbook of its header row only, which is no failure.

Ctrl-C stops the export at once: the workbook being written is removed (nothing half written
stays; with --overwrite the earlier workbook stays as it was), the attachment folders of the
documents already exported are kept and the last line names them.

The installation is found as the window finds it (the registry, or registry.reg in the settings
folder); --program-dir names one instead. Passwords are read from --password-file or, when a
user is given without one, from the first line of standard input.</translation>
    </message>
    <message>
        <source>视图“%1”没有文档：%2 只有标题行</source>
        <translation>view “%1” holds no documents: %2 has its header row only</translation>
    </message>
</context>
</TS>
