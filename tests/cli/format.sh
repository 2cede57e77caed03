# format: tabs before tags become the depth (the module's rule), or N spaces a
# level with --indent N; only the white space in front of tags changes.
printf '<r>\n  <a x="1">\n      <b>t</b>\n    <!-- c\n  <z/> -->\n  <![CDATA[\n   <q>]]>\n  </a>\n\t<c/>  <d/>\n</r>\n' > spaces.xml
run format spaces.xml
run format --indent 2 spaces.xml
run format spaces.xml --indent 0
run format --indent 17 spaces.xml
run format --indent two spaces.xml
run format - < spaces.xml

echo '# -o writes through a new file renamed over OUT, so OUT may be FILE'
cp spaces.xml self.xml
run format --indent 4 self.xml -o self.xml
show self.xml
printf '<r>\n<a>\n</r>' > bad.xml
run format bad.xml -o bad-out.xml
show bad-out.xml
run -q format bad.xml

echo '# nothing is written when the text cannot be handed to the module whole'
printf '<r>\n<a/>\0<!-- more --></r>' > nul.xml
cp nul.xml nul-before.xml
run format nul.xml -o nul.xml
cmp nul.xml nul-before.xml && echo 'nul.xml unchanged'
truncate -s 3G huge.xml
run format huge.xml -o huge.xml
echo "huge.xml is $(stat -c %s huge.xml) bytes"

echo '# only the indentation of lines changes: white space inside a line, an element'
echo '# holding only white space and what xml:space="preserve" holds stay as they are'
printf '<x:s xmlns:x="urn:x">\n<x:text> </x:text>\n<a> <b/>\t<c/></a>\n<e>\n  </e>\n<p xml:space="preserve">\n  <q/>\n <d xml:space="default">\n<z/>\n </d>\n</p>\n</x:s>\n' > space.xml
run format space.xml
run format --indent 2 space.xml
